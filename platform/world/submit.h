// `lantern-blade --submit FILE`: sends a run to the world ranking server the settings
// name, under the settings' name, and waits for its verdict. Runs kept from earlier
// failed submissions go first. Exit 0 verified (or still queued when the wait ends),
// 1 refused, 2 not sent (no server or name set, no demo, no answer: then kept for later).
#pragma once

#include <string>

int SubmitRunFile(const std::string& path);
