// Child processes for the end-to-end tests: each runs in its own process group, so that
// it and everything it starts can be stopped together, and every wait has a deadline.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace e2e {

using Environment = std::map<std::string, std::string>;

// This process's environment, to be changed for a child.
Environment CurrentEnvironment();
// The program's path if it is an executable on PATH, else empty.
std::string FindProgram(const std::string& name);

class Process {
public:
    // Starts argv[0] (looked up on PATH) in `dir` with exactly `environment`; its stdout
    // and stderr go to `output` (appended), and `keepFd`, if not -1, stays open in it.
    Process(const std::vector<std::string>& argv, const Environment& environment,
            const std::string& dir, const std::string& output, int keepFd = -1);
    // Kills the process group if it still runs.
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool Started() const { return pid_ > 0; }
    // True once the process has ended within the timeout; its exit code in *code
    // (128 + signal number when a signal ended it).
    bool Wait(std::chrono::milliseconds timeout, int* code);
    // SIGKILL to the whole group, then reaps the process.
    void Kill();

private:
    pid_t pid_ = -1;
    bool reaped_ = false;
};

// Runs a short command to its end (killed after the timeout) and returns its output;
// *code gets the exit code, or -1 on timeout.
std::string Run(const std::vector<std::string>& argv, const Environment& environment,
                std::chrono::milliseconds timeout, int* code);

}  // namespace e2e
