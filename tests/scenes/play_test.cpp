// The play scene on the real loop: the kill that clears, the countdown, and the keys that
// act while held.
#include <string>
#include <vector>

#include "game/combat.h"
#include "game/run_state.h"
#include "game/scene_state.h"
#include "game/stage.h"
#include "platform/headless/headless.h"
#include "tests/scenes/scene_fixture.h"

namespace {

using Commands = std::vector<std::string>;

class Play : public SceneTest {
protected:
    // One frame; the sound commands it sent.
    Commands SoundsOfAFrame() {
        headless::ClearMciLog();
        Frame();
        return headless::MciLog();
    }
    // The countdown's digits, the units digit at (600, 0).
    std::string Countdown() const { return DigitsAt(600, 0, -17, 0); }
    static std::uint32_t Elapsed() { return static_cast<std::uint32_t>(headless::Now()) - g_stageStart; }
};

// The fifth kill, made in the last frame whose sword box reaches (attack 11), breaks up
// through the swing's end and clears the stage ten frames after the blow.
TEST_F(Play, AKillInTheSwingsLastHitFrameStillClearsTheStage) {
    Actor& enemy = g_enemies[0];
    enemy.x = 1000, enemy.y = 800, enemy.hp = 2, enemy.state = ACTOR_ALIVE;
    g_killCount = 4;
    headless::PressKey('Z');
    for (int attack = 2; attack <= 10; ++attack) Frame();
    headless::ReleaseKey('Z');
    enemy.x = 348, enemy.y = 352;  // just left of the hero
    EXPECT_EQ(SoundsOfAFrame(), Commands{"Play BEN from 0 notify"});
    for (int frame = 1; frame <= 9; ++frame) {
        EXPECT_TRUE(SoundsOfAFrame().empty());
        EXPECT_EQ(std::make_pair(enemy.shatterFrame, g_scene), std::make_pair(frame, SCENE_PLAY));
    }
    EXPECT_EQ(g_player.attack, 0);
    Frame();
    EXPECT_EQ(std::make_pair(enemy.state, g_scene), std::make_pair(ACTOR_GONE, SCENE_CLEAR_INIT));
}

// Paused time is left out whole; past the minute the countdown stays at 0.
TEST_F(Play, TheCountdownLeavesOutThePausedTimeAndStopsAtZero) {
    Frame();
    EXPECT_EQ(Countdown(), std::to_string(60000 - Elapsed()));
    headless::Advance(6000);
    g_pauseTotal = 5000;
    Frame();
    EXPECT_EQ(Countdown(), std::to_string(60000 - (Elapsed() - 5000)));
    headless::Advance(70000);
    Frame();
    EXPECT_EQ(Countdown(), "0");
}

// C restarts the stage, kills and all, as long as it is held; X pauses and A goes to the
// results while held too.
TEST_F(Play, HeldKeysActEveryFrame) {
    headless::PressKey('C');
    for (int load = 0; load < 2; ++load) {
        g_killCount = 3;
        ASSERT_TRUE(test::RunUntil([] { return g_scene == SCENE_STAGE_INIT; }));
        ASSERT_TRUE(test::RunUntil([] { return g_scene == SCENE_PLAY; }));
        EXPECT_EQ(g_killCount, 0);
    }
    headless::ReleaseKey('C');
    headless::PressKey('X');
    Frame();
    EXPECT_EQ(g_scene, SCENE_PAUSE_INIT);
    EXPECT_NE(g_keyLatch, 0);
    headless::ReleaseKey('X');
    headless::PressKey('A');
    g_scene = SCENE_PLAY;
    Frame();
    EXPECT_EQ(g_scene, SCENE_RESULT_INIT);
}

}  // namespace
