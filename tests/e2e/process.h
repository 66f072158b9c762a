// Child processes for the end-to-end tests: each runs in its own process group, so that
// it and everything it starts stop together, and every wait has a deadline.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace e2e {

class Process {
public:
    // Starts argv[0] (looked up on PATH) with this process's environment and working
    // directory; its stdout and stderr go to `output` (appended), and `keepFd`, if not -1,
    // stays open in it.
    Process(const std::vector<std::string>& argv, const std::string& output, int keepFd = -1);
    ~Process() { Kill(); }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool Started() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }
    // The exit code (128 + the signal's number when a signal ended it), or -1 when the
    // process is still running at the deadline, which kills it.
    int Wait(std::chrono::milliseconds timeout);
    // Sends the signal to the process alone.
    void Signal(int signal) const;
    // SIGKILL to the whole group, then reaps the process.
    void Kill();

private:
    pid_t pid_ = -1;
    bool reaped_ = false;
};

}  // namespace e2e
