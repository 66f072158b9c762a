// Whole runs on the shipped data beyond the golden ring: focus lost and a resumed pause
// in the middle of the route, and Escape in every scene.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "game/game_frame.h"
#include "game/scene_state.h"
#include "game/stage.h"
#include "gfx/surfaces.h"
#include "platform/headless/headless.h"
#include "tests/whole_game/game_run.h"

namespace {

// Ten seconds without focus (nothing shown, the clock still) and five in the pause menu,
// resumed with Z held into play: the stage goes on where it was (the route's five kills
// clear it only if the first two stay) and neither shows in the clear time.
TEST(WholeRun, FocusLostAndAResumedPauseLeaveTheStageAndItsClockAsTheyWere) {
    whole::GameRun run;
    ASSERT_TRUE(run.UntilScene(SCENE_PLAY));
    const std::uint32_t stageStart = g_stageStart;
    ASSERT_TRUE(whole::PlayRoute(run, [&] {
        const std::uint64_t frames = headless::FrameCount(), lostAt = headless::Now();
        headless::SetFocus(false);
        EXPECT_TRUE(run.Until([&] { return headless::Now() - lostAt >= 10000; }));
        EXPECT_EQ(headless::FrameCount(), frames);
        headless::SetFocus(true);
        return run.Hold('X', 1) && run.UntilScene(SCENE_PAUSE) && run.Frames(250) &&
               run.PressUntil('Z', [&] { return g_scene == SCENE_PLAY && run.Frames(1); });
    }));
    EXPECT_EQ(run.Scenes(), (std::vector<int>{SCENE_STAGE_INIT, SCENE_PLAY, SCENE_PAUSE_INIT, SCENE_PAUSE,
                                              SCENE_PLAY, SCENE_CLEAR_INIT}));
    EXPECT_EQ(g_stageStart, stageStart);
    EXPECT_GT(g_clearTime, 2000u);
    EXPECT_LT(g_clearTime, 4000u);
}

// Escape (pressed twice before the loop fetches the quit; in every other scene the window
// closed instead) in any scene the ring reaches, the opening only when put there, ends the
// game with exit code 0 through one teardown, which closes every device last.
class EscapeIn : public ::testing::TestWithParam<int> {};

TEST_P(EscapeIn, EndsTheGameWithExitCodeZero) {
    const int scene = GetParam();
    whole::GameRun run;
    if (scene < SCENE_TITLE_INIT) g_scene = SCENE_OPENING_INIT;
    bool done = false;
    auto leave = [&] {
        if (done || g_scene != scene) return;
        done = true;
        if (scene % 2 != 0) {
            headless::RequestClose();
            return;
        }
        headless::PressKey(VK_ESCAPE);
        headless::PressKey(VK_ESCAPE);
    };
    leave();
    run.Watch(leave);
    std::string failed;
    whole::PlayWholeRing(run, &failed);
    ASSERT_EQ(run.ExitCode(), 0) << "stopped at: " << failed;
    EXPECT_EQ(run.Scenes().back(), scene);
    EXPECT_EQ(g_dd, nullptr);
    const std::vector<std::string>& log = headless::MciLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "Close SWO");
    EXPECT_EQ(std::count(log.begin(), log.end(), "Close SWO"), 1);
}

INSTANTIATE_TEST_SUITE_P(EveryScene, EscapeIn, ::testing::Range(SCENE_OPENING_INIT, SCENE_ENDING + 1));

}  // namespace
