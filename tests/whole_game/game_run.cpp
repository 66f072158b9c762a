#include "tests/whole_game/game_run.h"

#include "game/scene_state.h"
#include "platform/headless/headless.h"
#include "platform/win32.h"
#include "tests/support/harness.h"

namespace whole {

namespace {

// A swing lasts 14 frames after the frame that starts it.
constexpr int SWING_FRAMES = 15;

// One leg of the route: an arrow held for a number of frames, (key Z) that many swings,
// or (key 0) the end of the first group.
struct Leg {
    int key;
    int count;
};

// The hero starts at (352, 352). Enemies 0 and 1 stand just to the right, 2 and 3 up
// and to the left, 4 below: the sword's boxes reach below and to the right of the hero,
// so each group is approached from above or the left. Two swings per group: the first
// cuts, the second carries the break-up to its end (it only runs while a swing does).
constexpr Leg ROUTE[] = {
    {VK_RIGHT, 14}, {'Z', 2}, {0, 0},
    {VK_LEFT, 36}, {VK_UP, 20}, {'Z', 2},
    {VK_DOWN, 38}, {VK_RIGHT, 10}, {'Z', 2},
};

}  // namespace

GameRun::GameRun() {
    test::StartGame();
    Note();
}

void GameRun::Note() {
    if (scenes_.empty() || scenes_.back() != g_scene) scenes_.push_back(g_scene);
    if (g_scene == escapeScene_) {
        headless::PressKey(VK_ESCAPE);
        escapeScene_ = NO_SCENE;
    }
}

void GameRun::EscapeOn(int scene) {
    escapeScene_ = scene;
    Note();
}

bool GameRun::Turn() {
    if (ended_) return false;
    int code = -1;
    if (test::Turn(&code)) {
        ended_ = true;
        exitCode_ = code;
        return false;
    }
    Note();
    return true;
}

bool GameRun::Until(const std::function<bool()>& done, int maxTurns) {
    for (int i = 0; i < maxTurns; ++i) {
        if (done()) return true;
        if (!Turn()) return false;
    }
    return done();
}

bool GameRun::UntilScene(int scene, int maxTurns) {
    return Until([scene] { return g_scene == scene; }, maxTurns);
}

bool GameRun::Frames(int n) {
    const std::uint64_t target = headless::FrameCount() + static_cast<std::uint64_t>(n);
    return Until([target] { return headless::FrameCount() >= target; });
}

bool GameRun::Tap(int key) { return Hold(key, 1) && Frames(1); }

bool GameRun::Hold(int key, int frames) {
    headless::PressKey(key);
    const bool ok = Frames(frames);
    headless::ReleaseKey(key);
    return ok;
}

int GameRun::ToExit(int maxTurns) {
    for (int i = 0; i < maxTurns && Turn(); ++i) {
    }
    return ended_ ? exitCode_ : -1;
}

bool Swing(GameRun& run) { return run.Hold('Z', 1) && run.Frames(SWING_FRAMES - 1); }

bool PlayRoute(GameRun& run, const std::function<bool()>& afterFirstGroup) {
    for (const Leg& leg : ROUTE) {
        if (leg.key == 0) {
            if (afterFirstGroup && !afterFirstGroup()) return false;
        } else if (leg.key == 'Z') {
            for (int i = 0; i < leg.count; ++i) {
                if (!Swing(run)) return false;
            }
        } else if (!run.Hold(leg.key, leg.count)) {
            return false;
        }
    }
    return true;
}

namespace {

// Each step names what it waits for, so a run that stops somewhere says where.
struct Stepper {
    GameRun& run;
    std::string* failed;

    bool Check(bool ok, const char* step) {
        if (!ok && failed != nullptr && failed->empty()) *failed = step;
        return ok;
    }
};

}  // namespace

bool PlayWholeRing(GameRun& run, std::string* failedStep) {
    Stepper s{run, failedStep};
    if (!s.Check(run.UntilScene(SCENE_PLAY), "the stage loads")) return false;
    if (!s.Check(PlayRoute(run), "the route is played")) return false;
    // Without five kills (damaged stage files) the A key leads to the results instead.
    if (g_scene == SCENE_PLAY) {
        headless::PressKey('A');
        const bool left = run.Until([] { return g_scene != SCENE_PLAY; });
        headless::ReleaseKey('A');
        if (!s.Check(left, "A leaves the stage")) return false;
    }
    if (!s.Check(run.UntilScene(SCENE_TITLE), "clear, results and ending lead to the title"))
        return false;
    // The title: let the keys settle, then Down to the ranking and Z.
    if (!s.Check(run.Frames(2) && run.Tap(VK_DOWN), "the title is shown")) return false;
    headless::PressKey('Z');
    const bool ranking = run.UntilScene(SCENE_RANKING);
    headless::ReleaseKey('Z');
    if (!s.Check(ranking, "the title's second item shows the ranking")) return false;
    if (!s.Check(run.Frames(60), "the ranking is shown")) return false;
    headless::PressKey('X');
    const bool back = run.UntilScene(SCENE_TITLE);
    headless::ReleaseKey('X');
    if (!s.Check(back, "X leaves the ranking for the title")) return false;
    // Up to the first item, Z starts the stage.
    if (!s.Check(run.Frames(2) && run.Tap(VK_UP), "the title is shown again")) return false;
    headless::PressKey('Z');
    const bool started = run.UntilScene(SCENE_PLAY);
    headless::ReleaseKey('Z');
    if (!s.Check(started, "the title's first item starts the stage")) return false;
    // Pause, Down to retry, Z.
    if (!s.Check(run.Hold(VK_RIGHT, 10) && run.Hold('X', 1) && run.UntilScene(SCENE_PAUSE),
                 "X pauses the play")) {
        return false;
    }
    if (!s.Check(run.Frames(2) && run.Tap(VK_DOWN), "the pause menu is shown")) return false;
    headless::PressKey('Z');
    const bool retried = run.UntilScene(SCENE_STAGE_INIT) && run.UntilScene(SCENE_PLAY);
    headless::ReleaseKey('Z');
    if (!s.Check(retried, "the pause menu's second item retries the stage")) return false;
    // Pause again, Down twice to the title, Z.
    if (!s.Check(run.Hold(VK_DOWN, 10) && run.Hold('X', 1) && run.UntilScene(SCENE_PAUSE),
                 "X pauses the retried play")) {
        return false;
    }
    if (!s.Check(run.Frames(2) && run.Tap(VK_DOWN) && run.Tap(VK_DOWN),
                 "the pause menu is shown again")) {
        return false;
    }
    headless::PressKey('Z');
    const bool title = run.UntilScene(SCENE_TITLE);
    headless::ReleaseKey('Z');
    if (!s.Check(title, "the pause menu's third item leads to the title")) return false;
    // Down twice to quit, Z.
    if (!s.Check(run.Frames(2) && run.Tap(VK_DOWN) && run.Tap(VK_DOWN), "the title is shown last")) {
        return false;
    }
    headless::PressKey('Z');
    const int exitCode = run.ToExit();
    headless::ReleaseKey('Z');
    return s.Check(exitCode == 0, "the title's third item quits with exit code 0");
}

std::vector<std::string> Collapse(const std::vector<std::string>& log) {
    std::vector<std::string> collapsed;
    for (std::size_t i = 0; i < log.size();) {
        std::size_t end = i;
        while (end < log.size() && log[end] == log[i]) ++end;
        collapsed.push_back(end - i > 1 ? log[i] + " x" + std::to_string(end - i) : log[i]);
        i = end;
    }
    return collapsed;
}

}  // namespace whole
