#include "app/watch_run.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "app/demo_run.h"
#include "app/main.h"
#include "app/overlay_view.h"
#include "app/run_start.h"
#include "app/scene_switch.h"
#include "game/scene_state.h"
#include "platform/demo/demo.h"
#include "platform/host/files.h"
#include "platform/seam/backend.h"
#include "records/ranking_demos.h"
#include "records/ranking_save.h"

namespace {

// A watched run past its records shows its results this long at the most.
constexpr std::uint64_t MOST_PAST_THE_RECORDS_MS = 6000;

std::unique_ptr<Demo> g_asked;
bool g_watching = false;
bool g_noted = false;
DemoHeader g_header;
std::vector<std::uint8_t> g_gameAside;
char g_saveFailureAside[sizeof g_saveFailure] = "";
std::uint64_t g_coastSince = 0;
// The recording's run, which the ranking keeps at a clear: none while a run is watched.
std::string (*g_runBytesAside)() = nullptr;

// The music stopped and the messages it posted dropped, so that a run starts, and the
// game comes back, as after a quiet turn.
void Quieten() {
    StopAwaitedPiece();
    DropQueuedMessages();
}

void EndWatch() {
    const bool differed = DemoDifference() >= 0;
    Quieten();
    RestoreGameAside(g_gameAside);
    std::memcpy(g_saveFailure, g_saveFailureAside, sizeof g_saveFailure);
    // The screen the watch was asked from starts again with its pictures, and its music;
    // still unrecorded, as the rest of the watch.
    if (g_scene == SCENE_RANKING) {
        g_scene = SCENE_RANKING_INIT;
        RunScene(LastMessage());
        DropQueuedMessages();
    }
    SandboxWrites(false);
    g_runKeeping.runBytes = g_runBytesAside;
    DemoEndWatch();
    g_watching = false;
    g_noted = false;
    if (differed) ShowOverlayNote("This run did not play back as kept");
}

void BeginWatch(std::unique_ptr<Demo> demo) {
    g_gameAside = SaveRunStart();
    std::memcpy(g_saveFailureAside, g_saveFailure, sizeof g_saveFailure);
    if (!DemoBeginWatch(*demo)) {
        ShowOverlayNote("This run's start is damaged");
        return;
    }
    SandboxWrites(true);
    g_runBytesAside = g_runKeeping.runBytes;
    g_runKeeping.runBytes = nullptr;
    g_watching = true;
    g_noted = true;
    g_header = demo->header;
    g_coastSince = 0;
    Quieten();
    if (BeginDemoRun()) return;
    EndWatch();
    ShowOverlayNote("This run's start is damaged");
}

}  // namespace

bool WatchRun(const std::string& path, std::uint32_t score) {
    if (Replaying()) return false;
    auto demo = std::make_unique<Demo>();
    std::string why;
    if (!ReadDemoFile(path, demo.get(), &why)) {
        std::fprintf(stderr, "lantern-blade: no run to watch: %s\n", why.c_str());
        ShowOverlayNote("No run kept for this place");
        return false;
    }
    if (demo->scan.clears.empty() || demo->scan.clears.back().score != score) {
        std::fprintf(stderr, "lantern-blade: no run to watch: %s is not the run that scored %u\n", path.c_str(), score);
        ShowOverlayNote("The run kept here scored otherwise");
        return false;
    }
    if (!OnThisStage(*demo)) {
        ShowOverlayNote("This run was played on another stage");
        return false;
    }
    // A recording of a whole session starts with the game's start-up: not in mid-game.
    if (demo->header.start.empty()) {
        ShowOverlayNote("Watch this run with --playdemo");
        return false;
    }
    g_asked = std::move(demo);
    return true;
}

bool WatchingRun() { return g_watching; }

void StepWatch() {
    if (g_asked != nullptr) BeginWatch(std::move(g_asked));
    if (g_watching && !ReplayGoesOn()) EndWatch();
}

const DemoHeader* WatchedRun() { return g_noted ? &g_header : nullptr; }

void NoteWatchedRun(const DemoHeader& header) {
    g_header = header;
    g_noted = true;
}

bool ReplayGoesOn() {
    if (DemoStopped() || DemoDifference() >= 0) return false;
    if (!DemoReplayOver()) return true;
    // Watched: past the records, on to the end of the clear's results.
    if (!DemoGoesOnPastRecords() || DemoClears().empty() || g_scene == SCENE_ENDING_INIT) return false;
    const std::uint64_t now = backend::NowMs();
    if (g_coastSince == 0) g_coastSince = now;
    return now - g_coastSince <= MOST_PAST_THE_RECORDS_MS;
}
