#include "tests/e2e/display.h"

#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <thread>

namespace e2e {

VirtualDisplay::VirtualDisplay(const std::string& logFile) {
    int ready[2];
    if (::pipe(ready) != 0) return;
    // Xvfb writes the display number it chose to this descriptor once it accepts clients.
    server_ = std::make_unique<Process>(
        std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(ready[1]), "-screen", "0",
                                 "640x480x24", "-nolisten", "tcp"},
        logFile, ready[1]);
    ::close(ready[1]);
    // The number, then a newline in a write of its own; a server that dies closes the pipe.
    std::string number;
    pollfd wait{ready[0], POLLIN, 0};
    char c = 0;
    while (::poll(&wait, 1, 20000) > 0 && ::read(ready[0], &c, 1) == 1 && c != '\n') number += c;
    if (c == '\n' && !number.empty()) name_ = ":" + number;
    ::close(ready[0]);
}

bool VirtualDisplay::Run(const std::string& command, std::string* output) const {
    FILE* pipe = ::popen(("DISPLAY=" + name_ + " timeout 10 " + command).c_str(), "r");
    if (pipe == nullptr) return false;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0;) {
        if (output != nullptr) output->append(buffer, n);
    }
    return ::pclose(pipe) == 0;
}

std::string VirtualDisplay::WaitForWindow(const std::string& title,
                                          std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        std::string found;
        const bool ok = Run("xdotool search --name '" + title + "'", &found);
        const std::size_t end = found.find('\n');
        if (ok && end != std::string::npos && end > 0) return found.substr(0, end);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return "";
}

// 200 ms spans several 20 ms frames.
bool VirtualDisplay::PressKey(const std::string& key) const {
    return Xdotool("keydown " + key + " sleep 0.2 keyup " + key);
}

}  // namespace e2e
