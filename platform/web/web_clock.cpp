// The clock and the idle pause. The game's loop runs as written: an idle pause gives the
// browser its turn (emscripten_sleep unwinds the loop and resumes it from a timer), so
// input, drawing and sound go on between the game's frames. Under the test clock, time
// moves one millisecond per idle turn, as in the headless tests, and the browser gets its
// turn about ten times a second of real time.
#include <emscripten.h>

#include "platform/seam/backend.h"
#include "platform/web/web_internal.h"

namespace {

// Where the headless tests' virtual clock starts, so that a scripted run sees the same times.
constexpr std::uint64_t VIRTUAL_START_MS = 1000000;
constexpr double YIELD_EVERY_MS = 100;

std::uint64_t g_virtualNow = VIRTUAL_START_MS;
double g_lastYield = 0;

}  // namespace

namespace backend {

std::uint64_t NowMs() {
    if (web_backend::VirtualClock()) return g_virtualNow;
    return static_cast<std::uint64_t>(emscripten_get_now());
}

void Idle(std::uint32_t milliseconds) {
    if (!web_backend::VirtualClock()) {
        emscripten_sleep(milliseconds > 0 ? milliseconds : 1);
        return;
    }
    ++g_virtualNow;
    if (emscripten_get_now() - g_lastYield >= YIELD_EVERY_MS) {
        emscripten_sleep(0);
        g_lastYield = emscripten_get_now();
    }
}

}  // namespace backend
