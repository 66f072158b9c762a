// The clock, the idle pause and the loop's turns. The browser runs the turns from a timer
// set for when the game's next frame is due, so nothing waits inside the game (no
// Asyncify unwinding on the way from one frame to the next). A batch of turns runs until
// one ends in an idle pause, which says how long until the game has something to do; the
// browser's timer then starts the next batch. Under the test clock, time moves
// one millisecond per idle turn, as in the headless tests, and a batch runs for a few
// milliseconds of real time before the browser gets its turn.
#include <emscripten.h>

#include "platform/seam/backend.h"
#include "platform/web/web_internal.h"

extern "C" {
// library_page.js
void lbRunTurns();
void lbNextBatch(int ms);
}

namespace {

// Where the headless tests' virtual clock starts, so that a scripted run sees the same times.
constexpr std::uint64_t VIRTUAL_START_MS = 1000000;
// A batch under the test clock, or one that never pauses (a burst of messages), gives
// the browser its turn after this long.
constexpr double BATCH_MS = 30;

std::uint64_t g_virtualNow = VIRTUAL_START_MS;
bool (*g_turn)(int*) = nullptr;
bool g_paused = false;     // the last turn ended in an idle pause
std::uint32_t g_pauseMs = 0;
// The game has quit with that code; the program ends at the next batch.
int g_quitWith = -1;

}  // namespace

namespace web_backend {

std::uint64_t NowMs() {
    if (web_backend::VirtualClock()) return g_virtualNow;
    return static_cast<std::uint64_t>(emscripten_get_now());
}

void Idle(std::uint32_t milliseconds) {
    if (web_backend::VirtualClock()) {
        ++g_virtualNow;
        return;
    }
    g_paused = true;
    g_pauseMs = milliseconds > 0 ? milliseconds : 1;
}

int RunTurns(bool (*turn)(int* exitCode)) {
    g_turn = turn;
    lbRunTurns();
    return 0;
}

}  // namespace web_backend

// Called by library_page.js: a batch of turns, which ends by setting when the next one is
// due; none once the game has quit (the program has then exited). A batch that waited for
// the browser on the way (Asyncify) sets it once it is over: the page asks nothing of the
// wait, which its own calls into the game may wait for too. The program ends in a batch of
// its own: one taken up after such a wait runs outside the page's guard, where the end's
// unwinding would reach the page as an error.
extern "C" EMSCRIPTEN_KEEPALIVE void WebTurns() {
    if (g_quitWith >= 0) {
        emscripten_force_exit(g_quitWith);
        return;
    }
    const double start = emscripten_get_now();
    g_paused = false;
    for (;;) {
        int exitCode = 0;
        if (g_turn(&exitCode)) {
            g_quitWith = exitCode;
            return lbNextBatch(0);
        }
        if (g_paused) return lbNextBatch(static_cast<int>(g_pauseMs));
        if (emscripten_get_now() - start >= BATCH_MS) return lbNextBatch(0);
    }
}
