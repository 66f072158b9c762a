// The ranking screen's five-digit columns, and the ranking file that keeps the scores of
// cleared stages across runs of the program.
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "game/game_frame.h"
#include "game/scene_state.h"
#include "game/stage.h"
#include "platform/headless/headless.h"
#include "records/numbers.h"
#include "records/ranking_save.h"
#include "tests/scenes/scene_fixture.h"

namespace {

TEST_F(SceneTest, RankingShowsEachEntryAsFiveDigitsInItsColumn) {
    const std::int32_t entries[5] = {123456, 6000, 235, 0, -5};
    std::copy(entries, entries + 5, g_ranking);
    Open(SCENE_RANKING_INIT, SCENE_RANKING);
    for (int i = 0; i < 114; ++i) Frame();
    // Entry i's column is at x = 370 - 60 i; a negative entry shows as 00000.
    const char* shown[5] = {"23456", "06000", "00235", "00000", "00000"};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(DigitsAt(370 - 60 * i, 370, 0, -34), shown[i]) << i;
}

// While the last save has failed, one line at the foot of the screen says so.
TEST_F(SceneTest, RankingTellsOfAFailedSaveOnItsLastLine) {
    const auto foot = [this] {
        Open(SCENE_RANKING_INIT, SCENE_RANKING);
        for (int i = 0; i < 60; ++i) Frame();
        std::vector<std::uint8_t> row;
        for (int x = 0; x < 200; ++x) row.push_back(PixelAt(x, 472));
        return row;
    };
    const std::vector<std::uint8_t> without = foot();
    std::strcpy(g_saveFailure, "Score not saved: No space left on device");
    const std::vector<std::uint8_t> with = foot();
    // Black text on a white box.
    EXPECT_GT(std::count(with.begin(), with.end(), with[0]), 20);
    EXPECT_NE(with, without);
}

// Plays one run of the program in a child process to the results (by a clear or by the
// A shortcut) and quits with Escape; the child's exit code (5: the shortcut entered its
// score into the ranking in memory).
int RunToResultsAndQuit(bool cleared, std::uint32_t playTime) {
    const pid_t child = fork();
    if (child == 0) {
        test::StartGame();
        if (!test::RunUntil([] { return g_scene == SCENE_PLAY; })) _exit(2);
        g_clearTime = playTime;
        g_player.x = 320;
        g_player.y = 240;
        const std::vector<std::int32_t> loaded(g_ranking, g_ranking + RANKING_SIZE);
        g_scene = cleared ? SCENE_CLEAR_INIT : SCENE_RESULT_INIT;
        if (!test::RunUntil([] { return g_scene == SCENE_RESULT; })) _exit(3);
        // The shortcut's results leave the ranking shown as loaded.
        if (!cleared && std::vector<std::int32_t>(g_ranking, g_ranking + RANKING_SIZE) != loaded) _exit(5);
        headless::PressKey(VK_ESCAPE);
        _exit(test::RunToExit() == 0 ? 0 : 4);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(RankingFile, AClearedStageScoreSurvivesARestartAndTheShortcutDoesNotWriteIt) {
    test::ScratchDir dir;
    WriteSceneData();
    test::WriteFile("txt/Ranking/Ranking.txt", "3000,2500,2000,1500,1000,");
    ASSERT_EQ(RunToResultsAndQuit(false, 0), 0);
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking.txt"), "3000,2500,2000,1500,1000,");

    ASSERT_EQ(RunToResultsAndQuit(true, 3800), 0);
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking.txt"), "3000,2500,2200,2000,1500,");
    test::StartGame();
    EXPECT_EQ(std::vector<std::int32_t>(g_ranking, g_ranking + 5),
              (std::vector<std::int32_t>{3000, 2500, 2200, 2000, 1500}));
}

}  // namespace
