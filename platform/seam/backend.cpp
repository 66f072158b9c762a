// The backend of this run and the table wrapped round it, and the null backend a demo is
// verified on.
#include "platform/seam/backend.h"

#include <unistd.h>

#include "platform/overlay/overlay.h"

namespace backend {

namespace {

Backend g_device{};
Backend g_wrapper{};
bool g_wrapped = false;
void (*g_devicePresent)(const std::uint8_t* pixels, const std::uint32_t* palette) = nullptr;

// A picture the device shows carries the overlay, laid out from the game's state as the
// picture goes out (a frame a replay holds back, or a verification, composes none).
void PresentWithOverlay(const std::uint8_t* pixels, const std::uint32_t* palette) {
    overlay::Compose();
    g_devicePresent(pixels, palette);
}

}  // namespace

void Install(const Backend& device) {
    g_device = device;
    g_devicePresent = device.display.present;
    g_device.display.present = PresentWithOverlay;
    UseStorage(device.storage);
    UsePacking(device.packing);
}

const Backend& Device() {
    return g_device;
}

void Wrap(const Backend& wrapper) {
    g_wrapper = wrapper;
    g_wrapped = true;
}

const Backend& Active() {
    return g_wrapped ? g_wrapper : g_device;
}

int TurnsHere(bool (*turn)(int* exitCode)) {
    int exitCode = 0;
    while (!turn(&exitCode)) {
    }
    return exitCode;
}

Backend NullOver(const Backend& device) {
    Backend null = device;
    null.display = Display{
        [](const char*) { return true; },
        [] {},
        [](const std::uint8_t*, const std::uint32_t*) {},
    };
    null.input = Input{[](const EventSink&) {}, [](int) { return false; }};
    null.clock.idle = [](std::uint32_t) {};
    static int s_nextSound = 0;
    null.sound = Sound{
        [](const std::string& path, bool) { return ::access(path.c_str(), R_OK) == 0 ? s_nextSound++ : -1; },
        [](int) {},
        [](int) {},
        [](int) {},
        [] { return std::vector<int>{}; },
    };
    return null;
}

}  // namespace backend
