// The title and pause menus: moves, bounds, latches, picks, and the paused time.
#include "game/game_frame.h"
#include "game/scene_state.h"
#include "platform/headless/headless.h"
#include "scenes/opening_title.h"
#include "scenes/pause.h"
#include "tests/scenes/scene_fixture.h"

namespace {

using scene_data::PAUSE_ITEM_BASE;
using scene_data::PixelAt;
using scene_data::TITLE_ITEM_BASE;

class Menus : public SceneTest {
protected:
    void OpenTitle() {
        EnterScene(SCENE_TITLE_INIT);
        ASSERT_TRUE(test::RunUntil([] { return g_scene == SCENE_TITLE; }));
        Frame();
    }
    void OpenPause() {
        EnterScene(SCENE_PAUSE_INIT);
        ASSERT_TRUE(test::RunUntil([] { return g_scene == SCENE_PAUSE; }));
        Frame();
    }
};

TEST_F(Menus, TitleMovesOneItemPerPressWithinBounds) {
    OpenTitle();
    EXPECT_EQ(g_titleSel, 0);
    TapKey(VK_UP);
    EXPECT_EQ(g_titleSel, 0);
    headless::PressKey(VK_DOWN);
    for (int i = 0; i < 5; ++i) Frame();
    EXPECT_EQ(g_titleSel, 1);  // held: one move only
    headless::ReleaseKey(VK_DOWN);
    Frame();
    TapKey(VK_DOWN);
    TapKey(VK_DOWN);
    EXPECT_EQ(g_titleSel, 2);
    // Both together with the latch free: Up wins.
    headless::PressKey(VK_UP);
    headless::PressKey(VK_DOWN);
    Frame();
    EXPECT_EQ(g_titleSel, 1);
    EXPECT_EQ(g_keyLatch, 16);
}

TEST_F(Menus, TitleDrawsTheSelectedItemEnlargedAndTheThirdCutToTheScreen) {
    OpenTitle();
    Frame();
    EXPECT_EQ(PixelAt(252, 182), TITLE_ITEM_BASE);      // highlight of item 0
    EXPECT_EQ(PixelAt(275, 305), TITLE_ITEM_BASE + 1);  // item 1 plain
    EXPECT_EQ(PixelAt(252, 290), scene_data::TITLE_PICTURE);
    TapKey(VK_DOWN);
    TapKey(VK_DOWN);
    Frame();
    EXPECT_EQ(PixelAt(252, 382), TITLE_ITEM_BASE + 2);
    EXPECT_EQ(PixelAt(388, 479), TITLE_ITEM_BASE + 2);
}

TEST_F(Menus, ZHeldOnArrivalAtTheTitlePicksNothingUntilPressedAgain) {
    g_keyLatch = 1;
    headless::PressKey('Z');
    OpenTitle();
    for (int i = 0; i < 5; ++i) Frame();
    EXPECT_EQ(g_scene, SCENE_TITLE);
    headless::ReleaseKey('Z');
    Frame();
    EXPECT_EQ(g_keyLatch, 0);
    TapKey(VK_DOWN);
    headless::PressKey('Z');
    Frame();
    EXPECT_EQ(g_scene, SCENE_RANKING_INIT);
}

TEST_F(Menus, QuittingFromTheTitleEndsTheProcessWithCodeZero) {
    OpenTitle();
    TapKey(VK_DOWN);
    TapKey(VK_DOWN);
    headless::ClearMciLog();
    headless::PressKey('Z');
    EXPECT_EQ(test::RunToExit(), 0);
    EXPECT_EQ(CountOf("Stop OPE01"), 0);
    EXPECT_EQ(CountOf("Play END01 from 0 notify"), 1);
}

TEST_F(Menus, PauseShowsTheFrozenPictureAndItsFourItems) {
    OpenPause();
    EXPECT_EQ(PixelAt(262, 62), PAUSE_ITEM_BASE);  // resume, enlarged
    EXPECT_EQ(PixelAt(272, 172), PAUSE_ITEM_BASE + 1);
    EXPECT_EQ(PixelAt(202, 272), PAUSE_ITEM_BASE + 2);
    EXPECT_EQ(PixelAt(272, 372), PAUSE_ITEM_BASE + 3);
    EXPECT_EQ(PixelAt(262, 162), PixelAt(262, 158));  // item 1 not enlarged
}

TEST_F(Menus, PauseMovesWithinBoundsAndUpWithDownCancelsOut) {
    OpenPause();
    TapKey(VK_UP);
    EXPECT_EQ(g_pauseSel, 0);
    headless::PressKey(VK_DOWN);
    for (int i = 0; i < 4; ++i) Frame();
    EXPECT_EQ(g_pauseSel, 1);
    headless::ReleaseKey(VK_DOWN);
    Frame();
    for (int i = 0; i < 4; ++i) TapKey(VK_DOWN);
    EXPECT_EQ(g_pauseSel, 3);
    headless::PressKey(VK_UP);
    headless::PressKey(VK_DOWN);
    Frame();
    EXPECT_EQ(g_pauseSel, 3);
    EXPECT_EQ(g_pauseKeyLatch, 1);
}

TEST_F(Menus, EachPauseItemLeadsToItsSceneAndLatchesZ) {
    for (int item = 0; item < 4; ++item) {
        OpenPause();
        for (int k = 0; k < item; ++k) TapKey(VK_DOWN);
        headless::PressKey('Z');
        Frame();
        headless::ReleaseKey('Z');
        EXPECT_EQ(g_scene, PAUSE_TARGETS[item]);
        EXPECT_EQ(g_keyLatch, 1);
        EXPECT_EQ(g_pauseSel, 0);
    }
    EXPECT_EQ(PAUSE_TARGETS[0], SCENE_PLAY);
    EXPECT_EQ(PAUSE_TARGETS[1], SCENE_STAGE_INIT);
    EXPECT_EQ(PAUSE_TARGETS[2], SCENE_TITLE_INIT);
    EXPECT_EQ(PAUSE_TARGETS[3], SCENE_QUIT_INIT);
}

TEST_F(Menus, ZHeldWhenThePauseOpensResumesAndThePauseIsLeftOutOfThePlayTime) {
    headless::PressKey('Z');
    EnterScene(SCENE_PAUSE_INIT);
    ASSERT_TRUE(test::RunUntil([] { return g_scene == SCENE_PAUSE; }));
    const std::uint32_t totalBefore = g_pauseTotal;
    headless::ReleaseKey('Z');
    headless::Advance(5000);
    headless::PressKey('Z');
    Frame();
    EXPECT_EQ(g_scene, SCENE_PLAY);
    EXPECT_GE(g_pauseTotal - totalBefore, 5000u);
    EXPECT_LE(g_pauseTotal - totalBefore, 5100u);
}

TEST_F(Menus, QuittingFromThePauseEndsTheProcessWithCodeZero) {
    OpenPause();
    for (int k = 0; k < 3; ++k) TapKey(VK_DOWN);
    headless::ClearMciLog();
    headless::PressKey('Z');
    EXPECT_EQ(test::RunToExit(), 0);
    EXPECT_EQ(CountOf("Stop GAM01"), 0);
}

}  // namespace
