// The opening, the title and pause menus: moves, bounds, latches, picks, and the paused time.
#include "game/run_state.h"
#include "game/scene_state.h"
#include "platform/headless/headless.h"
#include "scenes/opening_title.h"
#include "scenes/pause.h"
#include "tests/scenes/scene_fixture.h"

namespace {

class Menus : public SceneTest {};

// The opening shows its picture for 75 frames (a second and a half), then the title.
TEST_F(Menus, TheOpeningLeadsToTheTitleAfter75Frames) {
    Open(SCENE_OPENING_INIT, SCENE_OPENING);
    int frames = 0;
    for (; g_scene == SCENE_OPENING && frames < 1000; ++frames) Frame();
    EXPECT_EQ(frames, 75);
    EXPECT_EQ(g_scene, SCENE_TITLE_INIT);
}

TEST_F(Menus, TitleMovesOnePerPressWithinBoundsAndDrawsTheThirdItemCutToTheScreen) {
    Open(SCENE_TITLE_INIT, SCENE_TITLE);
    Frame();
    TapKey(VK_UP);
    EXPECT_EQ(g_titleSel, 0);
    headless::PressKey(VK_DOWN);
    for (int i = 0; i < 4; ++i) Frame();  // held: one move only
    headless::ReleaseKey(VK_DOWN);
    Frame();
    EXPECT_EQ(g_titleSel, 1);
    TapKey(VK_DOWN);
    TapKey(VK_DOWN);
    EXPECT_EQ(g_titleSel, 2);
    EXPECT_EQ(PixelAt(388, 479), TITLE_ITEM_BASE + 2);  // enlarged, cut at the screen's foot
    headless::PressKey(VK_UP);
    headless::PressKey(VK_DOWN);
    Frame();  // with the latch free, Up wins
    EXPECT_EQ(g_titleSel, 1);
    EXPECT_NE(g_keyLatch, 0);
}

// Resume alone sends music as it picks: back to the battle piece, with the paused time
// left out of the play time. The other targets' scenes send their own.
TEST_F(Menus, EachPauseItemLeadsToItsSceneAndLatchesZ) {
    const int targets[4] = {SCENE_PLAY, SCENE_STAGE_INIT, SCENE_TITLE_INIT, SCENE_QUIT_INIT};
    for (int item = 0; item < 4; ++item) {
        SCOPED_TRACE(item);
        const std::uint32_t pausedBefore = g_pauseTotal;
        const std::uint64_t openedAt = headless::Now();
        Open(SCENE_PAUSE_INIT, SCENE_PAUSE);
        Frame();
        for (int k = 0; k < 4; ++k) TapKey(VK_DOWN);  // one past the foot
        for (int k = item; k < 3; ++k) TapKey(VK_UP);
        headless::Advance(5000);
        headless::ClearMciLog();
        headless::PressKey('Z');
        Frame();
        headless::ReleaseKey('Z');
        using Log = std::vector<std::string>;
        EXPECT_EQ(headless::MciLog(),
                  (item == 0 ? Log{"Stop GAM01", "Play BAT03 from 0 notify"} : Log{}));
        EXPECT_EQ(g_scene, targets[item]);
        EXPECT_NE(g_keyLatch, 0);
        EXPECT_EQ(g_pauseSel, 0);
        if (item == 0) {
            const auto paused = static_cast<std::uint32_t>(headless::Now() - openedAt);
            EXPECT_GE(g_pauseTotal - pausedBefore, paused - 100);
            EXPECT_LE(g_pauseTotal - pausedBefore, paused);
        }
    }
}

}  // namespace
