// The view of the game the app gives demos and overlays: it follows the globals.
#include <gtest/gtest.h>

#include "game/run_state.h"
#include "game/scene_state.h"
#include "game/stage.h"
#include "platform/headless/headless.h"
#include "platform/seam/game_view.h"
#include "tests/support/harness.h"

namespace {

TEST(GameView, FollowsTheHeroTheEnemiesAndThePlayClockOfTheRunningGame) {
    test::ScratchDir dir;
    test::CopyRealData();
    test::StartGame();
    ASSERT_TRUE(test::RunUntil([] { return g_scene == SCENE_PLAY; }));
    headless::PressKey(VK_RIGHT);
    ASSERT_TRUE(test::RunFrames(10));
    g_pauseTotal = 40;
    g_killCount = 3;
    g_enemies[4].hp = 77;

    GameView view;
    ASSERT_TRUE(ReadGameView(&view));
    EXPECT_EQ(view.scene, SCENE_PLAY);
    EXPECT_EQ(view.playTimeMs, PlayTime());
    EXPECT_EQ(view.kills, 3);
    EXPECT_EQ(view.hero.x, g_player.x);
    EXPECT_GT(view.hero.x, 352);
    EXPECT_EQ(view.hero.y, g_player.y);
    EXPECT_EQ(view.hero.dir, DIR_RIGHT);
    EXPECT_EQ(view.hero.anim, g_player.anim);
    EXPECT_EQ(view.enemies[4].hp, 77);
    EXPECT_EQ(view.enemies[9].x, g_enemies[9].x);
}

TEST(GameView, WithoutAGameThereIsNoView) {
    g_readGameView = nullptr;
    GameView view;
    view.kills = 9;
    EXPECT_FALSE(ReadGameView(&view));
    EXPECT_EQ(view.kills, 9);
}

}  // namespace
