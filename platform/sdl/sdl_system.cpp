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

void Idle() {
    const timespec pause{0, 1000000};
    nanosleep(&pause, nullptr);
}

// The real game has no use for the command log.
void RecordMciCommand(const char*) {}

}  // namespace backend
