// The clear circle, the results picture, the score and its count-up, and the ending scroll.
#include <string>
#include <vector>

#include "game/game_frame.h"
#include "game/scene_state.h"
#include "game/stage.h"
#include "platform/headless/headless.h"
#include "records/numbers.h"
#include "scenes/clear_results.h"
#include "tests/scenes/scene_fixture.h"

namespace {

class ClearResults : public SceneTest {
protected:
    void Clear(std::uint32_t playTime, int until) {
        g_clearTime = playTime;
        g_player.x = 320;
        g_player.y = 240;
        Open(SCENE_CLEAR_INIT, until);
    }
};

TEST_F(ClearResults, TheCircleOpensByTenAndClosesByTwentyIn49FramesEveryTime) {
    std::vector<int> expected;
    for (int r = 0; r <= 310; r += 10) expected.push_back(r);
    for (int r = 320; r >= 0; r -= 20) expected.push_back(r);
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        Clear(4321, SCENE_CLEAR);
        std::vector<int> radii;
        while (g_scene == SCENE_CLEAR) {
            radii.push_back(g_clearRadius);
            Frame();
        }
        EXPECT_EQ(radii, expected);
        EXPECT_EQ(g_scene, SCENE_RESULT_INIT);
    }
}

TEST_F(ClearResults, TheShortcutShowsNoPlayTime) {
    g_clearTime = 0;
    Open(SCENE_RESULT_INIT, SCENE_RESULT);
    Frame();
    EXPECT_EQ(DigitsAt(480, 200, -34, 0), "");
    EXPECT_EQ(g_clearTime, 6000u);
}

TEST_F(ClearResults, TheResultsCountTheScoreUpToTheWholeScore) {
    Clear(4321, SCENE_RESULT);
    EXPECT_EQ(g_clearTime, 1679u);
    std::vector<std::string> shown;
    for (int frame = 0; frame < 100; ++frame) {
        ASSERT_EQ(g_scene, SCENE_RESULT);
        Frame();
        shown.push_back(DigitsAt(480, 300, -34, 0));
    }
    EXPECT_EQ(shown[0], "16");  // 1 % in the first frame, the whole score in the last
    EXPECT_EQ(shown[49], "839");
    EXPECT_EQ(shown[98], "1662");
    EXPECT_EQ(shown[99], "1679");
    EXPECT_EQ(g_scene, SCENE_ENDING_INIT);
    EXPECT_EQ(g_countUpPercent, 0);
}

TEST_F(ClearResults, TheScoreEntersTheRankingNeverBelowZeroAndEntryTwoIsKept) {
    const std::int32_t start[6] = {5000, 4000, 3000, 2000, 1000, 77};
    std::copy(start, start + 6, g_ranking);
    Clear(5000, SCENE_RESULT);  // score 1000: equal to the last entry, so it enters
    EXPECT_EQ(std::vector<std::int32_t>(g_ranking, g_ranking + 6),
              (std::vector<std::int32_t>{5000, 4000, 3000, 2000, 1000, 1000}));
    g_ranking[5] = 55;
    Clear(9000, SCENE_RESULT);  // slower than par: scores 0, below every entry
    EXPECT_EQ(g_clearTime, 0u);
    EXPECT_EQ(std::vector<std::int32_t>(g_ranking, g_ranking + 6),
              (std::vector<std::int32_t>{5000, 4000, 3000, 2000, 1000, 55}));
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
