// Runs that could not be sent (no answer, a server error, a rate limit), kept in
// ${XDG_DATA_HOME:-~/.local/share}/lantern-blade/outbox/ and sent again before the
// next one, oldest first, until the server answers for each.
#pragma once

#include <string>

// Keeps the demo; false (with *failure) when it cannot be written.
bool KeepUnsent(const std::string& demo, std::string* failure);
// Sends the kept runs in order; each the server accepted or refused is removed, and the
// first that fails again stops the round. How many were accepted.
int SendKept(const std::string& server, const std::string& name, const std::string& secret);
