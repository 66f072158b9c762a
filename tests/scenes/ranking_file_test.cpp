// The ranking file keeps the scores of cleared stages across runs of the program.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "game/game_frame.h"
#include "game/scene_state.h"
#include "game/stage.h"
#include "platform/headless/headless.h"
#include "records/numbers.h"
#include "tests/scenes/scene_data.h"
#include "tests/support/harness.h"

namespace {

// Runs one program run in a child process, as a separate start of the game would.
template <typename Body>
int InChildProcess(Body body) {
    const pid_t child = fork();
    if (child == 0) {
        body();
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Plays a run to the results (by a clear or by the A shortcut) and quits with Escape.
void RunToResultsAndQuit(bool cleared, std::uint32_t playTime) {
    test::StartGame();
    if (!test::RunUntil([] { return g_scene == SCENE_PLAY; })) _exit(2);
    g_clearTime = playTime;
    g_player.x = 320;
    g_player.y = 240;
    g_scene = cleared ? SCENE_CLEAR_INIT : SCENE_RESULT_INIT;
    if (!test::RunUntil([] { return g_scene == SCENE_RESULT; })) _exit(3);
    headless::PressKey(VK_ESCAPE);
    if (test::RunToExit() != 0) _exit(4);
}

TEST(RankingFile, AClearedStageScoreSurvivesARestart) {
    test::ScratchDir dir;
    scene_data::WriteAll();
    test::WriteFile("txt/Ranking/Ranking.txt", "3000,2500,2000,1500,1000,");
    ASSERT_EQ(InChildProcess([] { RunToResultsAndQuit(true, 3800); }), 0);
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking.txt"), "3000,2500,2200,2000,1500,");

    test::StartGame();
    EXPECT_EQ(std::vector<std::int32_t>(g_ranking, g_ranking + 5),
              (std::vector<std::int32_t>{3000, 2500, 2200, 2000, 1500}));
}

TEST(RankingFile, TheResultsShortcutDoesNotWriteIt) {
    test::ScratchDir dir;
    scene_data::WriteAll();
    test::WriteFile("txt/Ranking/Ranking.txt", "3000,2500,2000,1500,1000,");
    ASSERT_EQ(InChildProcess([] { RunToResultsAndQuit(false, 0); }), 0);
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking.txt"), "3000,2500,2000,1500,1000,");
}

}  // namespace
