// The ranking screen's five-digit columns and the ending scroll.
#include "game/scene_state.h"
#include "platform/headless/headless.h"
#include "records/numbers.h"
#include "scenes/ending_quit.h"
#include "tests/scenes/scene_fixture.h"

namespace {

using scene_data::PixelAt;

TEST_F(SceneTest, RankingShowsEachEntryAsFiveDigitsInItsColumn) {
    const std::int32_t entries[5] = {123456, 6000, 235, 0, -5};
    std::copy(entries, entries + 5, g_ranking);
    EnterScene(SCENE_RANKING_INIT);
    ASSERT_TRUE(test::RunUntil([] { return g_scene == SCENE_RANKING; }));
    for (int i = 0; i < 114; ++i) Frame();
    EXPECT_EQ(NumberAt(370, 370, 0, -34, 5), 23456);
    EXPECT_EQ(NumberAt(310, 370, 0, -34, 5), 6000);
    EXPECT_EQ(PixelAt(310 + 9, 268 + 15), scene_data::DIGIT_BASE + 6);
    EXPECT_EQ(PixelAt(310 + 9, 234 + 15), scene_data::DIGIT_BASE + 0);
    EXPECT_EQ(NumberAt(250, 370, 0, -34, 5), 235);
    EXPECT_EQ(PixelAt(250 + 9, 234 + 15), scene_data::DIGIT_BASE + 0);
    EXPECT_EQ(NumberAt(190, 370, 0, -34, 5), 0);
    EXPECT_EQ(PixelAt(190 + 9, 234 + 15), scene_data::DIGIT_BASE + 0);
    // A negative entry shows as 00000.
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(PixelAt(130 + 9, 370 - 34 * k + 15), scene_data::DIGIT_BASE + 0);
    }
}

TEST_F(SceneTest, RankingLeavesForTheTitleOnXInItsFirstFrame) {
    headless::PressKey('X');
    EnterScene(SCENE_RANKING_INIT);
    ASSERT_TRUE(test::RunUntil([] { return g_scene == SCENE_RANKING; }));
    Frame();
    EXPECT_EQ(g_scene, SCENE_TITLE_INIT);
}

TEST_F(SceneTest, EndingRisesScrollsAndLeavesIn125Frames) {
    EnterScene(SCENE_ENDING_INIT);
    ASSERT_TRUE(test::RunUntil([] { return g_scene == SCENE_ENDING; }));
    auto row = [](int pictureRow) { return pictureRow % 250 + 1; };
    int frames = 0;
    while (g_scene == SCENE_ENDING) {
        Frame();
        ++frames;
        switch (frames) {
            case 2:
                EXPECT_EQ(PixelAt(5, 459), 0);
                EXPECT_EQ(PixelAt(5, 460), row(0));
                EXPECT_EQ(PixelAt(5, 479), row(19));
                break;
            case 25:
                EXPECT_EQ(PixelAt(5, 0), row(0));
                EXPECT_EQ(PixelAt(5, 479), row(479));
                break;
            case 26:
                EXPECT_EQ(PixelAt(5, 0), row(20));
                EXPECT_EQ(PixelAt(5, 479), row(499));
                break;
            case 101:
                EXPECT_EQ(PixelAt(5, 0), row(1520));
                EXPECT_EQ(PixelAt(5, 479), row(1999));
                break;
            case 124:
                EXPECT_EQ(PixelAt(5, 0), row(1980));
                EXPECT_EQ(PixelAt(5, 19), row(1999));
                break;
            default:
                break;
        }
    }
    EXPECT_EQ(frames, 125);
    EXPECT_EQ(g_scene, SCENE_TITLE_INIT);
}

TEST_F(SceneTest, ASecondEndingScrollsInFull) {
    for (int run = 0; run < 2; ++run) {
        EnterScene(SCENE_ENDING_INIT);
        ASSERT_TRUE(test::RunUntil([] { return g_scene == SCENE_ENDING; }));
        const std::uint64_t before = headless::FrameCount();
        ASSERT_TRUE(test::RunUntil([] { return g_scene == SCENE_TITLE_INIT; }));
        EXPECT_EQ(headless::FrameCount() - before, 125u);
    }
}

}  // namespace
