// The clock, the idle pause and the orderly end of the SDL backend.
#include <cstdlib>
#include <ctime>

#include "platform/backend.h"
#include "platform/sdl/sdl_internal.h"

namespace {

void ShutDown() {
    sdl_backend::ShutDownAudio();
    SDL_Quit();
}

}  // namespace

namespace sdl_backend {

void ShutDownAtExit() {
    static bool registered = false;
    if (!registered) {
        registered = true;
        std::atexit(ShutDown);
    }
}

}  // namespace sdl_backend

namespace backend {

std::uint64_t NowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000u +
           static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
}

// Wakes just after a whole millisecond of the clock rather than some milliseconds from
// now: the frame gate counts whole milliseconds, so a frame then passes on the tick it is
// due instead of up to a millisecond late, and the frames keep their 20 ms beat.
void Idle(std::uint32_t milliseconds) {
    const long steps = milliseconds > 0 ? static_cast<long>(milliseconds) : 1;
    timespec wake{};
    clock_gettime(CLOCK_MONOTONIC, &wake);
    const long wholeMs = wake.tv_nsec / 1000000 + steps;
    wake.tv_sec += wholeMs / 1000;
    wake.tv_nsec = (wholeMs % 1000) * 1000000;
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &wake, nullptr);
}

// The real game has no use for the command log.
void RecordMciCommand(const char*) {}

}  // namespace backend
