// The sandboxed verifier process: fork, limits, bubblewrap, exec; output read with a
// deadline. The child does only async-signal-safe calls between fork and exec, since
// the server forks from one of its many threads.
#include "server/sandbox.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t OUTPUT_CAP = 64 * 1024;
// Where the demo lies inside the sandbox.
constexpr const char* DEMO_INSIDE = "/tmp/run.lbdemo";

struct Finished {
    VerifierEnd end;
    std::string out, err;
    bool started = false;
    std::string failure;
};

std::vector<std::string> SandboxArgs(const SandboxConfig& c, const std::vector<std::string>& gameArgs, bool withDemo) {
    // The game runs as the sandbox's first process (no reaper of bubblewrap's): it starts
    // nothing, and so its processor time reaches the server's accounting of its children.
    std::vector<std::string> a = {c.bwrap,          "--unshare-all",   "--die-with-parent", "--new-session",
                                  "--as-pid-1",
                                  "--clearenv",     "--setenv",        "HOME",              "/tmp",
                                  "--setenv",       "PATH",            "/usr/bin:/bin",     "--ro-bind",
                                  "/usr",           "/usr",            "--symlink",         "usr/lib",
                                  "/lib",           "--symlink",       "usr/lib64",         "/lib64",
                                  "--symlink",      "usr/bin",         "/bin",              "--proc",
                                  "/proc",          "--dev",           "/dev",              "--tmpfs",
                                  "/tmp",           "--ro-bind",       c.game,              "/game/lantern-blade",
                                  "--ro-bind",      c.data,            "/data",             "--chdir",
                                  "/data"};
    for (const auto& [name, value] : c.environment) a.insert(a.end(), {"--setenv", name, value});
    if (withDemo) a.insert(a.end(), {"--file", "3", DEMO_INSIDE});
    a.push_back("/game/lantern-blade");
    a.insert(a.end(), gameArgs.begin(), gameArgs.end());
    return a;
}

void Limit(int resource, long long value) {
    const rlimit limit{static_cast<rlim_t>(value), static_cast<rlim_t>(value)};
    setrlimit(resource, &limit);
}

Finished Run(const SandboxConfig& c, const std::vector<std::string>& args, int demoFd) {
    Finished f;
    std::vector<char*> argv;
    for (const std::string& s : args) argv.push_back(const_cast<char*>(s.c_str()));
    argv.push_back(nullptr);
    char* envp[] = {nullptr};

    int outPipe[2], errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0) {
        f.failure = std::strerror(errno);
        return f;
    }
    if (pipe2(errPipe, O_CLOEXEC) != 0) {
        f.failure = std::strerror(errno);
        close(outPipe[0]);
        close(outPipe[1]);
        return f;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        Limit(RLIMIT_CPU, c.cpuSeconds);
        Limit(RLIMIT_FSIZE, c.fileBytes);
        Limit(RLIMIT_CORE, 0);
        if (c.memoryBytes > 0) Limit(RLIMIT_AS, c.memoryBytes);
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        if (demoFd == 3) {
            fcntl(3, F_SETFD, 0);
        } else if (demoFd >= 0) {
            dup2(demoFd, 3);
        }
        const int devNull = open("/dev/null", O_RDONLY);
        if (devNull >= 0) dup2(devNull, 0);
        // Nothing else of the server's (its sockets, its database) reaches the sandbox.
        close_range(demoFd >= 0 ? 4 : 3, ~0U, 0);
        execve(argv[0], argv.data(), envp);
        static const char message[] = "bwrap: cannot be started\n";
        (void)!write(2, message, sizeof message - 1);
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    if (pid < 0) {
        f.failure = std::strerror(errno);
        close(outPipe[0]);
        close(errPipe[0]);
        return f;
    }
    f.started = true;

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(c.wallSeconds);
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&f.out, &f.err};
    int open = 2;
    while (open > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            f.end.timedOut = true;
            break;
        }
        if (poll(fds, 2, static_cast<int>(left.count())) < 0 && errno != EINTR) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[4096];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                if (sinks[i]->size() < OUTPUT_CAP) sinks[i]->append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    if (f.end.timedOut) kill(-pid, SIGKILL);
    for (pollfd& p : fds) {
        if (p.fd >= 0) close(p.fd);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) {
        f.end.code = WEXITSTATUS(status);
    } else {
        f.end.exited = false;
        f.end.code = WIFSIGNALED(status) ? WTERMSIG(status) : -1;
    }
    return f;
}

}  // namespace

Verdict VerifyInSandbox(const SandboxConfig& config, const std::string& demo) {
    Verdict noSandbox;
    noSandbox.kind = Verdict::Kind::NoSandbox;
    const int fd = memfd_create("run.lbdemo", MFD_CLOEXEC);
    if (fd < 0) {
        noSandbox.reason = std::string("no memory file: ") + std::strerror(errno);
        return noSandbox;
    }
    std::size_t written = 0;
    while (written < demo.size()) {
        const ssize_t n = write(fd, demo.data() + written, demo.size() - written);
        if (n <= 0) break;
        written += static_cast<std::size_t>(n);
    }
    lseek(fd, 0, SEEK_SET);
    const Finished f = Run(config, SandboxArgs(config, {"--verify", DEMO_INSIDE}, true), fd);
    close(fd);
    if (!f.started || written < demo.size()) {
        noSandbox.reason = f.failure.empty() ? "the demo could not be handed over" : f.failure;
        return noSandbox;
    }
    // A sandbox that could not start exits 127 (exec failed) or prints its own complaint.
    if (f.end.exited && f.end.code == 127) {
        noSandbox.reason = f.err;
        return noSandbox;
    }
    Verdict verdict = ReadVerdict(f.end, f.out, f.err);
    // The verifier names the file by its place in the sandbox, which means nothing to a player.
    const std::string inside = DEMO_INSIDE;
    if (verdict.reason.rfind(inside, 0) == 0) verdict.reason = "the run" + verdict.reason.substr(inside.size());
    return verdict;
}

bool SandboxWorks(const SandboxConfig& config, std::string* why) {
    const Finished f = Run(config, SandboxArgs(config, {"--version"}, false), -1);
    if (f.started && f.end.exited && f.end.code == 0 && !f.out.empty()) return true;
    *why = !f.failure.empty() ? f.failure : f.err.empty() ? "the sandbox gave no answer" : f.err;
    while (!why->empty() && why->back() == '\n') why->pop_back();
    return false;
}
