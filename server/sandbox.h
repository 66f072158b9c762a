// Runs the game's own verifier (`lantern-blade --verify`) on one demo inside
// bubblewrap: no network or other namespaces shared, the binary and the game data bound
// read-only, a private /tmp holding the demo, limits on CPU time, file size and (in
// release builds) address space, and a wall-clock timeout that kills the lot.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "server/verdict.h"

struct SandboxConfig {
    std::string bwrap = "/usr/bin/bwrap";
    std::string game;  // the game binary
    std::string data;  // the game data folder
    int cpuSeconds = 20;
    int wallSeconds = 30;
    long long memoryBytes = 768LL << 20;  // 0: no limit (the sanitizers reserve terabytes)
    long long fileBytes = 1LL << 20;
    std::vector<std::pair<std::string, std::string>> environment;  // set inside, all else cleared
};

Verdict VerifyInSandbox(const SandboxConfig& config, const std::string& demo);
// Whether a sandbox can be had here: runs the game's --version inside one.
bool SandboxWorks(const SandboxConfig& config, std::string* why);
