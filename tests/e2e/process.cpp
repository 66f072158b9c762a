#include "tests/e2e/process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace e2e {

namespace {

constexpr auto POLL = std::chrono::milliseconds(20);

int ExitCode(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

Environment CurrentEnvironment() {
    Environment environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text(*entry);
        const std::size_t equals = text.find('=');
        if (equals != std::string::npos) environment[text.substr(0, equals)] = text.substr(equals + 1);
    }
    return environment;
}

std::string FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const std::string candidate = folder + "/" + name;
        if (!folder.empty() && ::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return "";
}

Process::Process(const std::vector<std::string>& argv, const Environment& environment,
                 const std::string& dir, const std::string& output, int keepFd) {
    const std::string program = argv[0].find('/') == std::string::npos ? FindProgram(argv[0])
                                                                      : argv[0];
    if (program.empty()) return;
    // Everything the child needs is prepared before the fork.
    std::vector<std::string> envText;
    for (const auto& [name, value] : environment) envText.push_back(name + "=" + value);
    std::vector<char*> args, envs;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    for (const std::string& env : envText) envs.push_back(const_cast<char*>(env.c_str()));
    args.push_back(nullptr);
    envs.push_back(nullptr);

    pid_ = ::fork();
    if (pid_ != 0) {
        if (pid_ > 0) ::setpgid(pid_, pid_);  // also done by the child; whichever runs first
        return;
    }
    ::setpgid(0, 0);
    const int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    const int null = ::open("/dev/null", O_RDONLY);
    if (out < 0 || null < 0 || ::chdir(dir.c_str()) != 0) ::_exit(126);
    ::dup2(null, 0);
    ::dup2(out, 1);
    ::dup2(out, 2);
    for (int fd = 3; fd < 1024; ++fd) {
        if (fd != keepFd) ::close(fd);
    }
    ::execve(program.c_str(), args.data(), envs.data());
    ::_exit(127);
}

Process::~Process() {
    if (Started() && !reaped_) Kill();
}

bool Process::Wait(std::chrono::milliseconds timeout, int* code) {
    if (!Started()) return false;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!reaped_) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            reaped_ = true;
            if (code != nullptr) *code = ExitCode(status);
            // Whatever it started goes with it.
            ::kill(-pid_, SIGKILL);
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(POLL);
    }
    return false;
}

void Process::Kill() {
    if (!Started() || reaped_) return;
    ::kill(-pid_, SIGKILL);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    reaped_ = true;
}

std::string Run(const std::vector<std::string>& argv, const Environment& environment,
                std::chrono::milliseconds timeout, int* code) {
    char name[] = "/tmp/lantern-blade-e2e-XXXXXX";
    const int fd = ::mkstemp(name);
    if (fd < 0) {
        *code = -1;
        return "";
    }
    ::close(fd);
    {
        Process process(argv, environment, "/", name);
        if (!process.Wait(timeout, code)) *code = -1;
    }
    std::ifstream in(name);
    std::stringstream text;
    text << in.rdbuf();
    std::filesystem::remove(name);
    return text.str();
}

}  // namespace e2e
