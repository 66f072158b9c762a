#include "tests/e2e/display.h"

#include <X11/Xlib.h>
#include <dlfcn.h>
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <thread>

namespace e2e {

namespace {

template <typename F>
F* Symbol(void* library, const char* name) {
    return reinterpret_cast<F*>(::dlsym(library, name));
}

}  // namespace

VirtualDisplay::VirtualDisplay(const std::string& logFile) {
    int ready[2];
    if (::pipe(ready) != 0) return;
    // Xvfb writes the display number it chose to this descriptor once it accepts clients.
    server_ = std::make_unique<Process>(
        std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(ready[1]), "-screen", "0",
                                 "640x480x24", "-nolisten", "tcp"},
        Environment{}, "/", logFile, ready[1]);
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

// libX11 is opened at run time: the tests need no X link of their own, and only this one
// message needs more than xdotool offers.
bool VirtualDisplay::SendDeleteWindow(const std::string& window) const {
    void* library = ::dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return false;
    auto* open = Symbol<Display*(const char*)>(library, "XOpenDisplay");
    auto* atom = Symbol<Atom(Display*, const char*, Bool)>(library, "XInternAtom");
    auto* send = Symbol<Status(Display*, Window, Bool, long, XEvent*)>(library, "XSendEvent");
    auto* close = Symbol<int(Display*)>(library, "XCloseDisplay");
    Display* display = open != nullptr ? open(name_.c_str()) : nullptr;
    Status sent = 0;
    if (display != nullptr && atom != nullptr && send != nullptr && close != nullptr) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = std::stoul(window);
        event.xclient.message_type = atom(display, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(atom(display, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        sent = send(display, event.xclient.window, False, NoEventMask, &event);
        close(display);  // flushes the event
    }
    ::dlclose(library);
    return sent != 0;
}

// Every pixel that is not pure black turned white, then the white ones counted.
long VirtualDisplay::LitPixels() const {
    std::string count;
    const bool ok = Run("import -window root ppm:- | convert ppm:- -fill white +opaque black "
                        "-format '%[fx:int(mean*w*h+0.5)]' info:",
                        &count);
    return ok && !count.empty() ? std::atol(count.c_str()) : -1;
}

}  // namespace e2e
