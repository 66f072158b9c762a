#include "tests/e2e/display.h"

#include <X11/Xlib.h>
#include <dlfcn.h>
#include <poll.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>

namespace e2e {

namespace {

constexpr auto COMMAND_TIMEOUT = std::chrono::seconds(10);
constexpr auto SERVER_TIMEOUT = std::chrono::seconds(20);
// A key held this long spans several 20 ms frames.
constexpr auto KEY_HOLD = std::chrono::milliseconds(200);

// libX11 is opened at run time: the tests need no X link of their own, and only this
// one message needs more than xdotool offers.
struct Xlib {
    void* library = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    template <typename F>
    F* Get(const char* name) const {
        return library != nullptr ? reinterpret_cast<F*>(dlsym(library, name)) : nullptr;
    }
    ~Xlib() {
        if (library != nullptr) dlclose(library);
    }
};

}  // namespace

VirtualDisplay::VirtualDisplay(const std::string& logFile) {
    int ready[2];
    if (::pipe(ready) != 0) return;
    // Xvfb writes the display number it chose to this descriptor once it accepts clients.
    server_ = std::make_unique<Process>(
        std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(ready[1]), "-screen", "0",
                                 "640x480x24", "-nolisten", "tcp"},
        CurrentEnvironment(), "/", logFile, ready[1]);
    ::close(ready[1]);
    std::string number;
    pollfd wait{ready[0], POLLIN, 0};
    const auto deadline = std::chrono::steady_clock::now() + SERVER_TIMEOUT;
    while (server_->Started() && std::chrono::steady_clock::now() < deadline) {
        if (::poll(&wait, 1, 100) <= 0) continue;
        char c;
        if (::read(ready[0], &c, 1) != 1) break;
        if (c == '\n') {
            name_ = ":" + number;
            break;
        }
        number += c;
    }
    ::close(ready[0]);
}

Environment VirtualDisplay::With(Environment environment) const {
    environment["DISPLAY"] = name_;
    return environment;
}

std::string VirtualDisplay::WaitForWindow(const std::string& title,
                                          std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        int code = 0;
        const std::string found =
            Run({"xdotool", "search", "--name", title}, With(CurrentEnvironment()),
                COMMAND_TIMEOUT, &code);
        const std::size_t end = found.find('\n');
        if (code == 0 && end != std::string::npos && end > 0) return found.substr(0, end);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return "";
}

bool VirtualDisplay::PressKey(const std::string& key) const {
    int down = -1, up = -1;
    Run({"xdotool", "keydown", key}, With(CurrentEnvironment()), COMMAND_TIMEOUT, &down);
    std::this_thread::sleep_for(KEY_HOLD);
    Run({"xdotool", "keyup", key}, With(CurrentEnvironment()), COMMAND_TIMEOUT, &up);
    return down == 0 && up == 0;
}

bool VirtualDisplay::SendDeleteWindow(const std::string& window) const {
    const Xlib x;
    auto* open = x.Get<Display*(const char*)>("XOpenDisplay");
    auto* atom = x.Get<Atom(Display*, const char*, Bool)>("XInternAtom");
    auto* send = x.Get<Status(Display*, Window, Bool, long, XEvent*)>("XSendEvent");
    auto* flush = x.Get<int(Display*)>("XFlush");
    auto* close = x.Get<int(Display*)>("XCloseDisplay");
    if (open == nullptr || atom == nullptr || send == nullptr || flush == nullptr ||
        close == nullptr) {
        return false;
    }
    Display* display = open(name_.c_str());
    if (display == nullptr) return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = std::stoul(window);
    event.xclient.message_type = atom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(atom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = send(display, event.xclient.window, False, NoEventMask, &event);
    flush(display);
    close(display);
    return sent != 0;
}

long VirtualDisplay::LitPixels() const {
    const std::string path = "/tmp/lantern-blade-e2e-screen-" + std::to_string(::getpid()) + ".ppm";
    int code = -1;
    Run({"import", "-window", "root", "-depth", "8", path}, With(CurrentEnvironment()),
        COMMAND_TIMEOUT, &code);
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int width = 0, height = 0, maximum = 0;
    in >> magic >> width >> height >> maximum;
    in.get();
    long lit = -1;
    if (code == 0 && magic == "P6" && width > 0 && height > 0 && maximum == 255) {
        std::vector<char> pixels(static_cast<std::size_t>(width) * height * 3);
        if (in.read(pixels.data(), static_cast<std::streamsize>(pixels.size()))) {
            lit = 0;
            for (std::size_t i = 0; i < pixels.size(); i += 3) {
                if (pixels[i] != 0 || pixels[i + 1] != 0 || pixels[i + 2] != 0) ++lit;
            }
        }
    }
    std::filesystem::remove(path);
    return lit;
}

}  // namespace e2e
