#include "tests/e2e/process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

namespace e2e {

Process::Process(const std::vector<std::string>& argv, const std::string& output, int keepFd) {
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ != 0) {
        if (pid_ > 0) ::setpgid(pid_, pid_);  // also done by the child; whichever runs first
        return;
    }
    ::setpgid(0, 0);
    const int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    const int null = ::open("/dev/null", O_RDONLY);
    if (out < 0 || null < 0) ::_exit(126);
    ::dup2(null, 0);
    ::dup2(out, 1);
    ::dup2(out, 2);
    for (int fd = 3; fd < 1024; ++fd) {
        if (fd != keepFd) ::close(fd);
    }
    ::execvp(args[0], args.data());
    ::_exit(127);
}

int Process::Wait(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (Started() && !reaped_) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            reaped_ = true;
            ::kill(-pid_, SIGKILL);  // whatever it started goes with it
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        if (std::chrono::steady_clock::now() >= deadline) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    Kill();
    return -1;
}

void Process::Signal(int signal) const {
    if (pid_ > 0 && !reaped_) ::kill(pid_, signal);
}

void Process::Kill() {
    if (!Started() || reaped_) return;
    ::kill(-pid_, SIGKILL);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    reaped_ = true;
}

}  // namespace e2e
