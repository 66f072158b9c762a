// The clock, the idle pause and the orderly end of the SDL backend.
#include <csignal>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <ctime>
#include <mutex>

#include "platform/sdl/sdl_internal.h"
#include "platform/seam/backend.h"

namespace {

std::mutex g_idleLock;
std::condition_variable g_idleWake;
bool g_woken = false;
bool g_idleEnded = false;  // the main thread's alone
volatile std::sig_atomic_t g_hungUp = 0;

void NoteHangUp(int) {
    g_hungUp = 1;
}

void ShutDown() {
    sdl_backend::StoreSettledSettings(true);
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

void CatchHangUp() {
    struct sigaction current {};
    if (::sigaction(SIGHUP, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) return;
    struct sigaction action {};
    action.sa_handler = NoteHangUp;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGHUP, &action, nullptr);
}

bool TakeHangUp() {
    if (g_hungUp == 0) return false;
    g_hungUp = 0;
    return true;
}

bool TakeIdleEnded() {
    const bool ended = g_idleEnded;
    g_idleEnded = false;
    return ended;
}

void WakeIdle() {
    {
        std::lock_guard lock(g_idleLock);
        g_woken = true;
    }
    g_idleWake.notify_one();
}

}  // namespace sdl_backend

namespace sdl_backend {

std::uint64_t NowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000u +
           static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
}

// Wakes just after a whole millisecond of the clock rather than some milliseconds from
// now: the frame gate counts whole milliseconds, so a frame then passes on the tick it is
// due instead of up to a millisecond late, and the frames keep their 20 ms beat. The end
// of a piece (WakeIdle) cuts the pause short, so its restart is not held up.
void Idle(std::uint32_t milliseconds) {
    const long steps = milliseconds > 0 ? static_cast<long>(milliseconds) : 1;
    timespec wake{};
    clock_gettime(CLOCK_MONOTONIC, &wake);
    const long wholeMs = wake.tv_nsec / 1000000 + steps;
    wake.tv_sec += wholeMs / 1000;
    wake.tv_nsec = (wholeMs % 1000) * 1000000;
    // The steady clock is the monotonic one.
    const auto deadline = std::chrono::steady_clock::time_point(std::chrono::seconds(wake.tv_sec) +
                                                                std::chrono::nanoseconds(wake.tv_nsec));
    std::unique_lock lock(g_idleLock);
    g_idleWake.wait_until(lock, deadline, [] { return g_woken; });
    g_woken = false;
    g_idleEnded = true;
}

}  // namespace sdl_backend
