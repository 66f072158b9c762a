// Process entry in the browser: the game's data lies at the root of the page's file
// system, the working folder, so the game starts at once; the page holds no options.
// Every run is recorded, so that a score entering the ranking keeps its demo. The
// backend's clock hands the loop's turns to the browser, so main returns to it after the
// start-up with the program still alive. The page may ask to watch a run (a Watch link of the
// world ranking, a file dropped on it): the game watches it as it watches a ranked run.
// A demo of a whole session starts from the game's own start-up, so the page starts the
// game again with its path and main plays it as --playdemo does, then the page plays on.
#include <emscripten.h>

#include <cstdio>
#include <string>
#include <utility>

#include "app/demo_run.h"
#include "app/main.h"
#include "app/overlay_view.h"
#include "platform/demo/demo_format.h"
#include "platform/overlay/overlay.h"
#include "platform/seam/backend.h"
#include "platform/web/web_backend.h"
#include "records/ranking_demos.h"

extern "C" void lbWatchFromStart(const char* path);  // library_page.js

namespace {

// A demo file the page put in its file system, watched at the next turn: reading it may
// wait for the browser's unpacking, which only a turn of the loop can.
std::string g_toWatch;

void Watch(const std::string& path) {
    Demo demo;
    std::string why;
    if (!ReadDemoFile(path, &demo, &why)) {
        std::fprintf(stderr, "lantern-blade: %s is not a demo this game can show: %s\n", path.c_str(), why.c_str());
        ShowOverlayNote("Not a run this game can show");
        return;
    }
    if (demo.scan.clears.empty()) {
        ShowOverlayNote("This run never clears the stage");
        return;
    }
    if (demo.header.start.empty()) {
        lbWatchFromStart(path.c_str());
        return;
    }
    if (g_runKeeping.watch != nullptr) g_runKeeping.watch(path, demo.scan.clears.back().score);
}

bool Turn(int* exitCode) {
    if (!g_toWatch.empty()) Watch(std::exchange(g_toWatch, {}));
    return LoopTurn(exitCode);
}

}  // namespace

// Called by the page (page.js) with the demo file it wrote.
extern "C" EMSCRIPTEN_KEEPALIVE void WebWatch(const char* path) {
    g_toWatch = path;
}

// What the overlay showed over the last picture, a line each, for the page's tests: the
// screen (other, play, results or ranking), "replay <player>" while a run is watched
// (else "game"), and the note.
extern "C" EMSCRIPTEN_KEEPALIVE const char* WebOverlayShown() {
    static constexpr const char* SCREENS[] = {"other", "play", "results", "ranking"};
    static std::string shown;
    const overlay::View& view = overlay::Viewed();
    shown = std::string(SCREENS[static_cast<int>(view.screen)]) + "\n" +
            (view.replay ? "replay " + view.replayOf.name : std::string("game")) + "\n" + view.note;
    return shown.c_str();
}

int main(int argc, char** argv) {
    backend::Install(web_backend::Backend());
    if (argc > 1) {
        AskForDemo(DemoTask::Watch, argv[1]);
        const int refused = BeginReplay();
        return refused >= 0 ? refused : backend::Active().clock.runTurns(ReplayTurn);
    }
    StartRecording();
    if (!StartUp(GetModuleHandleA(nullptr), SW_SHOWDEFAULT)) return 0;
    return backend::Active().clock.runTurns(Turn);
}
