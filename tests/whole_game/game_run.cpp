#include "tests/whole_game/game_run.h"

#include "game/scene_state.h"
#include "platform/headless/headless.h"
#include "platform/win32.h"

namespace whole {

namespace {

// A swing lasts 14 frames after the frame that starts it.
constexpr int SWING_FRAMES = 15;
constexpr int MAX_TURNS = 400000;

// One leg of the route: an arrow held for a number of frames, 'Z' swung that many
// times, or 0 for the end of the first group.
struct Leg { int key; int count; };

// The hero starts at (352, 352); enemies 0 and 1 stand just to the right, 2 and 3 up
// and to the left, 4 below. The sword reaches below and to the right, so each group is
// approached from above or the left. Two swings a group: the first cuts, the second
// carries the break-up to its end (it only runs while a swing does).
constexpr Leg ROUTE[] = {
    {VK_RIGHT, 14}, {'Z', 2}, {0, 0},
    {VK_LEFT, 36}, {VK_UP, 20}, {'Z', 2},
    {VK_DOWN, 38}, {VK_RIGHT, 10}, {'Z', 2},
};

std::function<bool()> AfterFrames(int n) {
    const std::uint64_t target = headless::FrameCount() + static_cast<std::uint64_t>(n);
    return [target] { return headless::FrameCount() >= target; };
}

std::function<bool()> InScene(int scene) {
    return [scene] { return g_scene == scene; };
}

}  // namespace

GameRun::GameRun(const std::function<void()>& prepare) {
    test::CopyRealData();
    if (prepare) prepare();
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
    ended_ = test::Turn(&exitCode_);
    if (!ended_) Note();
    return !ended_;
}

bool GameRun::Until(const std::function<bool()>& done) {
    for (int i = 0; i < MAX_TURNS; ++i) {
        if (done()) return true;
        if (!Turn()) return false;
    }
    return done();
}

bool GameRun::UntilScene(int scene) { return Until(InScene(scene)); }

bool GameRun::Frames(int n) { return Until(AfterFrames(n)); }

bool GameRun::PressUntil(int key, const std::function<bool()>& done) {
    headless::PressKey(key);
    const bool ok = Until(done);
    headless::ReleaseKey(key);
    return ok;
}

bool GameRun::PressUntilScene(int key, int scene) { return PressUntil(key, InScene(scene)); }

bool GameRun::Hold(int key, int frames) { return PressUntil(key, AfterFrames(frames)); }

bool PlayRoute(GameRun& run, const std::function<bool()>& afterFirstGroup) {
    for (const Leg& leg : ROUTE) {
        bool ok = true;
        if (leg.key == 0) {
            ok = !afterFirstGroup || afterFirstGroup();
        } else if (leg.key == 'Z') {
            for (int i = 0; ok && i < leg.count; ++i) {
                ok = run.Hold('Z', 1) && run.Frames(SWING_FRAMES - 1);
            }
        } else {
            ok = run.Hold(leg.key, leg.count);
        }
        if (!ok) return false;
    }
    return true;
}

bool PlayWholeRing(GameRun& run, std::string* failedStep) {
    auto step = [failedStep](const char* what, bool ok) {
        if (!ok && failedStep != nullptr && failedStep->empty()) *failedStep = what;
        return ok;
    };
    // Lets the menu's keys settle, moves its cursor, and holds Z until the scene comes.
    auto choose = [&run](int key, int moves, int scene) {
        bool ok = run.Frames(2);
        for (int i = 0; ok && i < moves; ++i) ok = run.Hold(key, 1) && run.Frames(1);
        return ok && run.PressUntilScene('Z', scene);
    };
    auto pause = [&run](int key) {
        return run.Hold(key, 10) && run.Hold('X', 1) && run.UntilScene(SCENE_PAUSE);
    };
    return step("the stage loads", run.UntilScene(SCENE_PLAY)) &&
           step("the route is played", PlayRoute(run)) &&
           // Without five kills (damaged stage files) A leads to the results instead.
           step("A leaves the stage",
                g_scene != SCENE_PLAY || run.PressUntil('A', [] { return g_scene != SCENE_PLAY; })) &&
           step("clear, results and ending lead to the title", run.UntilScene(SCENE_TITLE)) &&
           step("the title's second item shows the ranking", choose(VK_DOWN, 1, SCENE_RANKING)) &&
           step("X leaves the ranking", run.Frames(60) && run.PressUntilScene('X', SCENE_TITLE)) &&
           step("the title's first item starts the stage", choose(VK_UP, 1, SCENE_PLAY)) &&
           step("X pauses the play", pause(VK_RIGHT)) &&
           step("the pause menu's second item retries the stage",
                choose(VK_DOWN, 1, SCENE_STAGE_INIT) && run.UntilScene(SCENE_PLAY)) &&
           step("X pauses the retried play", pause(VK_DOWN)) &&
           step("the pause menu's third item leads to the title", choose(VK_DOWN, 2, SCENE_TITLE)) &&
           step("the title's third item quits with exit code 0",
                choose(VK_DOWN, 2, SCENE_QUIT) && !run.Until([] { return false; }) && run.ExitCode() == 0);
}

}  // namespace whole
