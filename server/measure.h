// What a verification costs on this machine: the demo verified in the sandbox `runs`
// times one after another, the processor time of the sandboxes (user and system, from
// the children's resource use) and the wall time per run, and so how many runs a core
// verifies a second. For sizing a board (docs/SERVER.md).
#pragma once

#include <string>

#include "server/sandbox.h"

int MeasureVerification(const SandboxConfig& sandbox, const std::string& demoPath, int runs);
