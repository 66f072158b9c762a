// The title and pause menus: moves, bounds, latches, picks, and the paused time.
#include "game/game_frame.h"
#include "game/scene_state.h"
#include "platform/headless/headless.h"
#include "scenes/opening_title.h"
#include "scenes/pause.h"
#include "tests/scenes/scene_fixture.h"

namespace {

class Menus : public SceneTest {
protected:
    void OpenTitle() {
        Open(SCENE_TITLE_INIT, SCENE_TITLE);
        Frame();
    }
    void OpenPause() {
        Open(SCENE_PAUSE_INIT, SCENE_PAUSE);
        Frame();
    }
    void Press(int key, int frames) {
        headless::PressKey(key);
        for (int i = 0; i < frames; ++i) Frame();
        headless::ReleaseKey(key);
        Frame();
    }
};

TEST_F(Menus, TitleMovesOnePerPressWithinBoundsAndDrawsTheThirdItemCutToTheScreen) {
    OpenTitle();
    TapKey(VK_UP);
    EXPECT_EQ(g_titleSel, 0);
    Press(VK_DOWN, 4);  // held: one move only
    EXPECT_EQ(g_titleSel, 1);
    TapKey(VK_DOWN);
    TapKey(VK_DOWN);
    EXPECT_EQ(g_titleSel, 2);
    EXPECT_EQ(PixelAt(388, 479), TITLE_ITEM_BASE + 2);  // enlarged, cut at the screen's foot
    headless::PressKey(VK_UP);
    headless::PressKey(VK_DOWN);
    Frame();  // with the latch free, Up wins
    EXPECT_EQ(g_titleSel, 1);
    EXPECT_EQ(g_keyLatch, 16);
}

TEST_F(Menus, ZHeldOnArrivalAtTheTitlePicksNothingUntilPressedAgain) {
    g_keyLatch = 1;
    headless::PressKey('Z');
    OpenTitle();
    Press('Z', 5);
    EXPECT_EQ(g_scene, SCENE_TITLE);
    EXPECT_EQ(g_keyLatch, 0);
    TapKey(VK_DOWN);
    headless::PressKey('Z');
    Frame();
    EXPECT_EQ(g_scene, SCENE_RANKING_INIT);
}

TEST_F(Menus, PauseMovesWithinBoundsWithUpAndDownCancellingOut) {
    OpenPause();
    TapKey(VK_UP);
    EXPECT_EQ(g_pauseSel, 0);
    Press(VK_DOWN, 4);
    EXPECT_EQ(g_pauseSel, 1);
    for (int i = 0; i < 4; ++i) TapKey(VK_DOWN);
    EXPECT_EQ(g_pauseSel, 3);
    headless::PressKey(VK_UP);
    headless::PressKey(VK_DOWN);
    Frame();
    EXPECT_EQ(g_pauseSel, 3);
    EXPECT_EQ(g_pauseKeyLatch, 1);
}

// Resume alone sends music as it picks: back to the battle piece. The other targets'
// scenes send their own.
TEST_F(Menus, EachPauseItemLeadsToItsSceneAndLatchesZ) {
    const int targets[4] = {SCENE_PLAY, SCENE_STAGE_INIT, SCENE_TITLE_INIT, SCENE_QUIT_INIT};
    for (int item = 0; item < 4; ++item) {
        SCOPED_TRACE(item);
        OpenPause();
        for (int k = 0; k < item; ++k) TapKey(VK_DOWN);
        headless::ClearMciLog();
        headless::PressKey('Z');
        Frame();
        headless::ReleaseKey('Z');
        using Log = std::vector<std::string>;
        EXPECT_EQ(headless::MciLog(),
                  (item == 0 ? Log{"Stop GAM01", "Play BAT03 from 0 notify"} : Log{}));
        EXPECT_EQ(g_scene, targets[item]);
        EXPECT_EQ(g_keyLatch, 1);
        EXPECT_EQ(g_pauseSel, 0);
    }
}

TEST_F(Menus, ZHeldWhenThePauseOpensResumesAndThePauseIsLeftOutOfThePlayTime) {
    headless::PressKey('Z');
    Open(SCENE_PAUSE_INIT, SCENE_PAUSE);
    const std::uint32_t totalBefore = g_pauseTotal;
    headless::ReleaseKey('Z');
    headless::Advance(5000);
    headless::PressKey('Z');
    Frame();
    EXPECT_EQ(g_scene, SCENE_PLAY);
    EXPECT_GE(g_pauseTotal - totalBefore, 5000u);
    EXPECT_LE(g_pauseTotal - totalBefore, 5100u);
}

// The quit scene leaves the pause piece to the end as it leaves the title's.
TEST_F(Menus, QuittingFromThePauseEndsTheProcessWithCodeZero) {
    OpenPause();
    for (int k = 0; k < 3; ++k) TapKey(VK_DOWN);
    headless::ClearMciLog();
    headless::PressKey('Z');
    EXPECT_EQ(test::RunToExit(), 0);
    EXPECT_EQ(CountOf("Stop GAM01"), 0);
}

}  // namespace
