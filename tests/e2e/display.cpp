#include "tests/e2e/display.h"

#include <poll.h>
#include <unistd.h>

#include <cstdlib>

namespace e2e {

bool CanRunDisplay() { return std::system("command -v Xvfb >/dev/null && command -v xdotool >/dev/null") == 0; }

VirtualDisplay::VirtualDisplay(const std::string& logFile, const std::string& screen) {
    int ready[2];
    if (::pipe(ready) != 0) return;
    // Xvfb writes the display number it chose to this descriptor once it accepts clients.
    server_ = std::make_unique<Process>(
        std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(ready[1]), "-screen", "0",
                                 screen, "-nolisten", "tcp"},
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

bool VirtualDisplay::Run(const std::string& command, std::chrono::seconds timeout) const {
    const std::string line = "DISPLAY=" + name_ + " timeout " + std::to_string(timeout.count()) + " " + command;
    return std::system((line + " >/dev/null").c_str()) == 0;
}

bool VirtualDisplay::WaitForWindow(const std::string& title, std::chrono::seconds timeout) const {
    return Run("xdotool search --sync --name '" + title + "'", timeout);
}

// 200 ms spans several 20 ms frames.
bool VirtualDisplay::PressKey(const std::string& key) const {
    return Xdotool("keydown " + key + " sleep 0.2 keyup " + key);
}

}  // namespace e2e
