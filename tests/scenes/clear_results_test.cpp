// The clear circle, the results' count-up and ranking entry, and the ending scroll.
#include <filesystem>
#include <string>
#include <vector>

#include "game/run_state.h"
#include "game/scene_state.h"
#include "game/stage.h"
#include "platform/headless/headless.h"
#include "records/numbers.h"
#include "scenes/clear_results.h"
#include "tests/scenes/scene_fixture.h"

namespace {

const char* const RANKING_FILE = "txt/Ranking/Ranking.txt";

class ClearResults : public SceneTest {
protected:
    void Clear(std::uint32_t playTime, int until) {
        g_clearTime = playTime;
        g_player.x = 320;
        g_player.y = 240;
        Open(SCENE_CLEAR_INIT, until);
    }
    static std::vector<std::int32_t> Ranking() { return {g_ranking, g_ranking + RANKING_SIZE}; }
};

TEST_F(ClearResults, TheCircleTakes49FramesEveryTime) {
    for (int run = 0; run < 2; ++run) {
        Clear(4321, SCENE_CLEAR);
        int frames = 0;
        for (; g_scene == SCENE_CLEAR; ++frames) Frame();
        EXPECT_EQ(frames, 49) << "run " << run;
    }
}

// 1 % in the first frame, the whole score in the last, in a second game's results too.
TEST_F(ClearResults, TheResultsCountTheScoreUpToTheWholeScoreEveryTime) {
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        Clear(4321, SCENE_RESULT);
        EXPECT_EQ(g_clearTime, 1679u);
        std::vector<std::string> shown;
        for (int frame = 0; frame < 100; ++frame) {
            ASSERT_EQ(g_scene, SCENE_RESULT);
            Frame();
            shown.push_back(DigitsAt(480, 300, -34, 0));
        }
        EXPECT_EQ(shown[0], "16");
        EXPECT_EQ(shown[98], "1662");
        EXPECT_EQ(shown[99], "1679");
        EXPECT_EQ(g_scene, SCENE_ENDING_INIT);
    }
}

// Results reached with A enter nothing; a clear's score goes into the ranking and its file,
// and a clear slower than par scores 0, below every entry.
TEST_F(ClearResults, OnlyAClearEntersItsScoreAndNeverBelowZero) {
    test::WriteFile(RANKING_FILE, "3000,2500,2000,1500,1000,");
    const std::vector<std::int32_t> loaded = Ranking();
    g_clearTime = 0;
    Open(SCENE_RESULT_INIT, SCENE_RESULT);
    Frame();
    EXPECT_EQ(DigitsAt(480, 200, -34, 0), "");  // no play time
    EXPECT_EQ(Ranking(), loaded);
    EXPECT_EQ(test::ReadFile(RANKING_FILE), "3000,2500,2000,1500,1000,");
    const std::vector<std::int32_t> entered = {3000, 2500, 2200, 2000, 1500};
    Clear(3800, SCENE_RESULT);
    EXPECT_EQ(Ranking(), entered);
    Clear(9000, SCENE_RESULT);
    EXPECT_EQ(g_clearTime, 0u);
    EXPECT_EQ(Ranking(), entered);
    EXPECT_EQ(test::ReadFile(RANKING_FILE), "3000,2500,2200,2000,1500,");
    // A save that fails still shows the score in its place.
    std::filesystem::remove(RANKING_FILE);
    std::filesystem::create_directory(RANKING_FILE);
    Clear(3000, SCENE_RESULT);
    EXPECT_EQ(Ranking(), (std::vector<std::int32_t>{3000, 3000, 2500, 2200, 2000}));
}

TEST_F(ClearResults, EndingRisesScrollsAndLeavesIn125FramesEveryTime) {
    // Frame, screen row, picture row (-1: black).
    const int checks[][3] = {{2, 459, -1},    {2, 460, 0},      {2, 479, 19},    {25, 0, 0},
                             {25, 479, 479},  {26, 0, 20},      {26, 479, 499},  {101, 0, 1520},
                             {101, 479, 1999}, {124, 0, 1980},  {124, 19, 1999}};
    for (int run = 0; run < 2; ++run) {
        Open(SCENE_ENDING_INIT, SCENE_ENDING);
        int frames = 0;
        while (g_scene == SCENE_ENDING) {
            Frame();
            ++frames;
            for (const auto& [frame, y, row] : checks) {
                if (frame != frames) continue;
                SCOPED_TRACE(testing::Message() << "run " << run << " frame " << frame << " y " << y);
                EXPECT_EQ(PixelAt(5, y), row < 0 ? 0 : row % 250 + 1);
            }
        }
        EXPECT_EQ(frames, 125);
        EXPECT_EQ(g_scene, SCENE_TITLE_INIT);
    }
}

}  // namespace
