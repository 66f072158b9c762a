// Whole runs on the shipped data: round the ring of scenes with the sword play that
// clears the stage, the resume from the pause menu, and Escape in every scene.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "game/game_frame.h"
#include "game/scene_state.h"
#include "game/stage.h"
#include "platform/headless/headless.h"
#include "records/numbers.h"
#include "scenes/clear_results.h"
#include "tests/support/harness.h"
#include "tests/whole_game/game_run.h"

namespace {

using Log = std::vector<std::string>;

// Start-up opens the eleven devices (their exact commands are the loop tests' concern).
constexpr std::size_t OPEN_COUNT = 11;
// What each scene's first handler call sends, from the music table.
const Log STAGE_MUSIC = {"Stop OPE01", "Stop GAM01", "Play BAT03 from 0 notify"};
const Log TITLE_MUSIC = {"Stop OPT01", "Stop RAN01", "Play OPE01 from 0 notify"};
const Log RANKING_MUSIC = {"Stop OPE01", "Play RAN01 from 0 notify"};
const Log PAUSE_MUSIC = {"Stop BAT03", "Play GAM01 from 0 notify"};
const Log QUIT_MUSIC = {"Stop BAT03", "Play END01 from 0 notify"};
const std::string SWING = "Play SWO from 0 notify";
const std::string BREAK = "Play BEN from 0 notify";
const std::string DAMAGE = "Play DMG from 0 notify";

Log Join(std::initializer_list<Log> parts) {
    Log all;
    for (const Log& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

class WholeRun : public ::testing::Test {
protected:
    void SetUp() override { test::CopyRealData(); }
    test::ScratchDir dir_;
};

TEST_F(WholeRun, ClearsTheStageAndGoesRoundEveryScreenToTheQuit) {
    whole::GameRun run;
    std::string failed;
    ASSERT_TRUE(whole::PlayWholeRing(run, &failed)) << "stopped at: " << failed;
    EXPECT_EQ(run.ExitCode(), 0);

    EXPECT_EQ(run.Scenes(),
              (std::vector<int>{SCENE_STAGE_INIT, SCENE_PLAY, SCENE_CLEAR_INIT, SCENE_CLEAR,
                                SCENE_RESULT_INIT, SCENE_RESULT, SCENE_ENDING_INIT, SCENE_ENDING,
                                SCENE_TITLE_INIT, SCENE_TITLE, SCENE_RANKING_INIT, SCENE_RANKING,
                                SCENE_TITLE_INIT, SCENE_TITLE, SCENE_STAGE_INIT, SCENE_PLAY,
                                SCENE_PAUSE_INIT, SCENE_PAUSE, SCENE_STAGE_INIT, SCENE_PLAY,
                                SCENE_PAUSE_INIT, SCENE_PAUSE, SCENE_TITLE_INIT, SCENE_TITLE,
                                SCENE_QUIT_INIT, SCENE_QUIT}));

    // The play sends only its effects: a swing sound per swing, a break per enemy cut
    // down (each dies of one blow, so no damage sound); the route's sixth swing comes
    // after the clear. ResultInit waits a second on its gate, one handler call per
    // virtual millisecond, each followed by "Stop BAT03".
    const Log log = headless::MciLog();
    ASSERT_GT(log.size(), OPEN_COUNT);
    const Log opens(log.begin(), log.begin() + OPEN_COUNT);
    for (const std::string& open : opens) EXPECT_EQ(open.rfind("Open ", 0), 0u) << open;
    const auto playEnd = std::find(log.begin(), log.end(), "Stop BAT03");
    const Log play(log.begin() + static_cast<long>(OPEN_COUNT + STAGE_MUSIC.size()), playEnd);
    EXPECT_EQ(std::count(play.begin(), play.end(), SWING), 5);
    EXPECT_EQ(std::count(play.begin(), play.end(), BREAK), 5);
    EXPECT_EQ(std::count(play.begin(), play.end(), DAMAGE), 0);
    EXPECT_EQ(play.size(), 10u);
    EXPECT_EQ(play.front(), SWING);

    const Log expected = Join({opens, STAGE_MUSIC, play, {"Stop BAT03 x1001"}, TITLE_MUSIC,
                               RANKING_MUSIC, TITLE_MUSIC, STAGE_MUSIC, PAUSE_MUSIC, STAGE_MUSIC,
                               PAUSE_MUSIC, TITLE_MUSIC, QUIT_MUSIC});
    EXPECT_EQ(whole::Collapse(log), whole::Collapse(expected));
    // The quit scene closes no device: the ending piece is still playing as it ends.
    EXPECT_TRUE(headless::IsPlaying("ENDING.mid"));

    // The score (par time less play time, kept in g_clearTime by the results) went into
    // the ranking file in its place; the start-up copy has the entries read at start.
    const std::int32_t score = static_cast<std::int32_t>(g_clearTime);
    ASSERT_GT(score, 2000);
    ASSERT_LT(score, 2500);
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking.txt"),
              "3000,2500," + std::to_string(score) + ",2000,1500,");
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking2.txt"), "3000,2500,2000,1500,1000,");
}

TEST_F(WholeRun, ResumeContinuesTheSameStageWithThePauseLeftOutOfThePlayTime) {
    whole::GameRun run;
    ASSERT_TRUE(run.UntilScene(SCENE_PLAY));
    const std::uint32_t stageStart = g_stageStart;
    constexpr int PAUSE_FRAMES = 500;  // ten seconds
    std::uint32_t playedBefore = 0;
    std::uint64_t clockBefore = 0;
    Actor heroBefore{};

    const bool routeDone = whole::PlayRoute(run, [&] {
        EXPECT_EQ(g_killCount, 2);
        playedBefore = PlayTime();
        clockBefore = headless::Now();
        heroBefore = g_player;
        if (!run.Hold('X', 1) || !run.UntilScene(SCENE_PAUSE) || !run.Frames(PAUSE_FRAMES)) {
            return false;
        }
        headless::PressKey('Z');  // the first item: resume
        const bool resumed = run.UntilScene(SCENE_PLAY) && run.Frames(1);
        headless::ReleaseKey('Z');
        if (!resumed || !run.Frames(1)) return false;

        // The same stage: nothing was loaded again, kills and the fallen stay.
        EXPECT_EQ(g_stageStart, stageStart);
        EXPECT_EQ(g_killCount, 2);
        EXPECT_EQ(g_enemies[0].state, ACTOR_GONE);
        EXPECT_EQ(g_enemies[1].state, ACTOR_GONE);
        EXPECT_EQ(g_enemies[2].state, ACTOR_ALIVE);
        EXPECT_EQ(g_player.x, heroBefore.x);
        EXPECT_EQ(g_player.y, heroBefore.y);
        // Ten seconds passed on the clock, two frames of them in play.
        EXPECT_GE(headless::Now() - clockBefore, 20u * PAUSE_FRAMES);
        EXPECT_GE(g_pauseTotal, 20u * PAUSE_FRAMES);
        EXPECT_LE(PlayTime() - playedBefore, 100u);
        // The pause piece goes on; the stage piece is not started again.
        EXPECT_TRUE(headless::IsPlaying("GAMEOVER.mid"));
        EXPECT_FALSE(headless::IsPlaying("BATTLE03.mid"));
        return true;
    });
    ASSERT_TRUE(routeDone);
    ASSERT_TRUE(run.UntilScene(SCENE_CLEAR));
    EXPECT_EQ(std::vector<int>(run.Scenes().begin(), run.Scenes().begin() + 7),
              (std::vector<int>{SCENE_STAGE_INIT, SCENE_PLAY, SCENE_PAUSE_INIT, SCENE_PAUSE,
                                SCENE_PLAY, SCENE_CLEAR_INIT, SCENE_CLEAR}));
    // The clear time is that of the play alone: under the par time of six seconds, the
    // ten paused seconds on top of it on the clock.
    EXPECT_GT(g_clearTime, 3000u);
    EXPECT_LT(g_clearTime, static_cast<std::uint32_t>(SCORE_BASE));
    EXPECT_GE(headless::Now() - stageStart, g_clearTime + 20u * PAUSE_FRAMES);
}

// Escape ends the game with exit code 0 whatever scene it arrives in: the scripted run
// is played until the scene comes, and Escape is pressed there.
class EscapeIn : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override { test::CopyRealData(); }
    test::ScratchDir dir_;
};

TEST_P(EscapeIn, EndsTheGameWithExitCodeZero) {
    const int scene = GetParam();
    whole::GameRun run;
    if (scene < SCENE_TITLE_INIT) {
        // No scene leads to the opening; it runs only when the game is put there.
        g_scene = SCENE_OPENING_INIT;
    }
    run.EscapeOn(scene);
    std::string failed;
    whole::PlayWholeRing(run, &failed);
    ASSERT_TRUE(run.Ended()) << "stopped at: " << failed;
    EXPECT_EQ(run.ExitCode(), 0);
    EXPECT_EQ(run.Scenes().back(), scene);
    // The Escape teardown ran (it closes every device last), not the quit scene's.
    ASSERT_FALSE(headless::MciLog().empty());
    EXPECT_EQ(headless::MciLog().back(), "Close SWO");
    EXPECT_EQ(std::count(headless::MciLog().begin(), headless::MciLog().end(), "Close SWO"), 1);
}

INSTANTIATE_TEST_SUITE_P(EveryScene, EscapeIn, ::testing::Range(SCENE_OPENING_INIT, SCENE_ENDING + 1),
                         [](const ::testing::TestParamInfo<int>& param) {
                             return param.param < 0 ? "Minus" + std::to_string(-param.param)
                                                   : std::to_string(param.param);
                         });

}  // namespace
