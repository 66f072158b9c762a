// The clear circle, the results picture, the score and its count-up.
#include <vector>

#include "game/game_frame.h"
#include "game/scene_state.h"
#include "game/stage.h"
#include "platform/headless/headless.h"
#include "records/numbers.h"
#include "scenes/clear_results.h"
#include "tests/scenes/scene_fixture.h"

namespace {

using scene_data::PixelAt;

class ClearResults : public SceneTest {
protected:
    void Clear(std::uint32_t playTime) {
        g_clearTime = playTime;
        g_player.x = 320;
        g_player.y = 240;
        EnterScene(SCENE_CLEAR_INIT);
    }
};

TEST_F(ClearResults, TheCircleOpensByTenAndClosesByTwentyIn49Frames) {
    Clear(4321);
    ASSERT_TRUE(test::RunUntil([] { return g_scene == SCENE_CLEAR; }));
    std::vector<int> radii;
    while (g_scene == SCENE_CLEAR) {
        radii.push_back(g_clearRadius);
        Frame();
        if (g_clearRadius == 100) {
            EXPECT_NE(PixelAt(320, 240), 0);  // the frozen frame inside the disc
            EXPECT_EQ(PixelAt(5, 5), 0);
        }
    }
    std::vector<int> expected;
    for (int r = 0; r <= 310; r += 10) expected.push_back(r);
    for (int r = 320; r >= 0; r -= 20) expected.push_back(r);
    EXPECT_EQ(radii, expected);
    EXPECT_EQ(radii.size(), 49u);
    EXPECT_EQ(g_scene, SCENE_RESULT_INIT);
}

TEST_F(ClearResults, ASecondClearPlaysInFull) {
    for (int run = 0; run < 2; ++run) {
        Clear(1000);
        ASSERT_TRUE(test::RunUntil([] { return g_scene == SCENE_CLEAR; }));
        const std::uint64_t before = headless::FrameCount();
        ASSERT_TRUE(test::RunUntil([] { return g_scene == SCENE_RESULT_INIT; }));
        EXPECT_EQ(headless::FrameCount() - before, 49u);
    }
}

TEST_F(ClearResults, ResultInitStopsTheBattleMusicAfterEveryCallUntilTheGateOpens) {
    Clear(4321);
    ASSERT_TRUE(test::RunUntil([] { return g_scene == SCENE_RESULT_INIT; }));
    headless::ClearMciLog();
    int calls = 0;
    std::size_t logged = 0;
    while (g_scene == SCENE_RESULT_INIT) {
        test::Turn();
        const auto& log = headless::MciLog();
        if (log.size() > logged) {
            ASSERT_EQ(log.size(), logged + 1);
            EXPECT_EQ(log.back(), "Stop BAT03");
            ++calls;
        }
        logged = log.size();
    }
    // One second of one-millisecond idle turns.
    EXPECT_GE(calls, 990);
    EXPECT_LE(calls, 1001);
}

TEST_F(ClearResults, TheResultsShowParTimePlayTimeAndCountTheScoreUp) {
    Clear(4321);
    ASSERT_TRUE(test::RunUntil([] { return g_scene == SCENE_RESULT; }));
    EXPECT_EQ(g_clearTime, 1679u);
    std::vector<long long> shown;
    for (int frame = 0; frame < 100; ++frame) {
        ASSERT_EQ(g_scene, SCENE_RESULT);
        Frame();
        shown.push_back(NumberAt(480, 300, -34, 0));
        if (frame == 0) {
            EXPECT_EQ(NumberAt(480, 100, -34, 0), 6000);
            EXPECT_EQ(PixelAt(378 + 9, 115), scene_data::DIGIT_BASE + 6);
            EXPECT_EQ(PixelAt(344 + 9, 115), 255);  // no fifth digit
            EXPECT_EQ(NumberAt(480, 200, -34, 0), 4321);
            EXPECT_EQ(PixelAt(210, 110), scene_data::CAPTION_BASE);
            EXPECT_EQ(PixelAt(210, 210), scene_data::CAPTION_BASE + 1);
            EXPECT_EQ(PixelAt(210, 310), scene_data::CAPTION_BASE + 2);
        }
    }
    EXPECT_EQ(shown[0], -1);  // 0 % draws nothing
    EXPECT_EQ(shown[1], 16);
    EXPECT_EQ(shown[50], 839);
    EXPECT_EQ(shown[99], 1662);
    EXPECT_EQ(g_scene, SCENE_ENDING_INIT);
    EXPECT_EQ(g_countUpPercent, 0);
}

TEST_F(ClearResults, ResultsStraightFromPlayAtStartShowNoPlayTimeAndScore6000) {
    g_clearTime = 0;
    EnterScene(SCENE_RESULT_INIT);
    ASSERT_TRUE(test::RunUntil([] { return g_scene == SCENE_RESULT; }));
    Frame();
    EXPECT_EQ(NumberAt(480, 200, -34, 0), -1);
    EXPECT_EQ(g_clearTime, 6000u);
}

TEST_F(ClearResults, TheScoreEntersTheRankingNeverBelowZeroAndEntryTwoIsKept) {
    const std::int32_t start[6] = {5000, 4000, 3000, 2000, 1000, 77};
    std::copy(start, start + 6, g_ranking);
    Clear(5000);  // score 1000: equal to the last entry, so it enters
    ASSERT_TRUE(test::RunUntil([] { return g_scene == SCENE_RESULT; }));
    EXPECT_EQ(std::vector<std::int32_t>(g_ranking, g_ranking + 6),
              (std::vector<std::int32_t>{5000, 4000, 3000, 2000, 1000, 1000}));

    g_ranking[5] = 55;
    Clear(9000);  // slower than par: scores 0, below every entry
    ASSERT_TRUE(test::RunUntil([] { return g_scene == SCENE_RESULT; }));
    EXPECT_EQ(g_clearTime, 0u);
    EXPECT_EQ(std::vector<std::int32_t>(g_ranking, g_ranking + 6),
              (std::vector<std::int32_t>{5000, 4000, 3000, 2000, 1000, 55}));
}

}  // namespace
