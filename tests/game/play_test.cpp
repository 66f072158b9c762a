// The play scene on the real main loop, headless: a small stage cleared with the sword,
// the scene keys, the swing's timing, and the composed frame as the player sees it.
#include <gtest/gtest.h>

#include "game/game_frame.h"
#include "game/scene_state.h"
#include "platform/headless/headless.h"
#include "tests/game/stage_files.h"

namespace {

using namespace gametest;
using Commands = std::vector<std::string>;
const std::string SWING = "Play SWO from 0 notify", DAMAGE = "Play DMG from 0 notify",
                  BREAK = "Play BEN from 0 notify";

class Play : public ::testing::Test {
protected:
    // Ten enemies, all gone but the `alive` ones given as {x, y, hp}; the stage is loaded on
    // the first loop turn, at virtual time t0.
    void Start(const std::vector<std::array<int, 3>>& alive = {}) {
        std::vector<Record> enemies(10, Enemy(1000, 800, 2, ACTOR_GONE));
        for (std::size_t i = 0; i < alive.size(); ++i) {
            enemies[i] = Enemy(alive[i][0], alive[i][1], alive[i][2], ACTOR_ALIVE);
        }
        WriteStage(enemies, {{2, 10, 99}});
        test::StartGame();
        for (int turn = 0; turn < 10 && g_scene != SCENE_PLAY; ++turn) {
            t0_ = static_cast<std::uint32_t>(headless::Now());
            test::Turn();
        }
        ASSERT_EQ(g_scene, SCENE_PLAY);
        ASSERT_EQ(g_stageStart, t0_);
    }

    // One frame; the sound commands it sent.
    static Commands Frame() {
        headless::ClearMciLog();
        EXPECT_TRUE(test::RunFrames(1));
        return headless::MciLog();
    }

    static int Pixel(int x, int y) { return headless::LastFrame().pixels[y * 640 + x]; }

    // Units digit at (600, 0), each further digit 17 px to the left; 0 is one digit 0.
    static void ExpectCountdown(std::uint32_t value) {
        EXPECT_EQ(Pixel(609, 15), DIGIT_COLOR + value % 10);
        for (int k = 1; value /= 10; ++k) {
            EXPECT_EQ(Pixel(609 - 17 * k, 15), DIGIT_COLOR + value % 10) << "digit " << k;
        }
    }

    std::uint32_t Elapsed() const { return static_cast<std::uint32_t>(headless::Now()) - t0_; }

    test::ScratchDir dir_;
    std::uint32_t t0_ = 0;
};

// Four enemies with 2 hit points and one with 3 stand inside the swing's first box, just
// left of the hero at (352, 352); the camera stands at (96, 144).
TEST_F(Play, TheSwordClearsTheStageOnTheFifthCountedKill) {
    Start({{348, 352, 2}, {348, 360, 2}, {348, 340, 3}, {349, 352, 2}, {347, 352, 2}});
    EXPECT_TRUE(Frame().empty());
    headless::PressKey('Z');
    EXPECT_EQ(Frame(), (Commands{SWING, BREAK, BREAK, DAMAGE, BREAK, BREAK}));
    EXPECT_EQ(Frame(), Commands{BREAK});  // the pushed one is still in the second box
    for (int frame = 2; frame <= 10; ++frame) {
        EXPECT_TRUE(Frame().empty()) << frame;
        EXPECT_EQ(g_killCount, frame == 10 ? 4 : 0) << frame;
        ASSERT_EQ(g_scene, SCENE_PLAY);
    }

    // The clear wins over A and X held in the same frame, and its frame has no mask and
    // no overview.
    headless::PressKey('A');
    headless::PressKey('X');
    Frame();
    EXPECT_EQ(std::make_tuple(g_scene, g_clearTime, g_killCount, g_player.x, g_player.y),
              std::make_tuple(SCENE_CLEAR_INIT, Elapsed(), 0, 256, 208));
    EXPECT_EQ(std::make_tuple(Pixel(20, 460), Pixel(256, 208), Pixel(562, 122)),
              std::make_tuple(TILE_COLOR, HERO_COLOR, 243));
    ExpectCountdown(60000 - g_clearTime);
}

// The fifth kill, made in the last frame whose sword box reaches (attack 11), breaks up
// through the swing's end and clears the stage ten frames after the blow.
TEST_F(Play, AKillInTheSwingsLastHitFrameStillClearsTheStage) {
    Start({{1000, 800, 2}});
    g_killCount = 4;
    headless::PressKey('Z');
    for (int attack = 2; attack <= 10; ++attack) Frame();
    headless::ReleaseKey('Z');
    g_enemies[0].x = 348, g_enemies[0].y = 352;
    EXPECT_EQ(Frame(), Commands{BREAK});
    for (int frame = 1; frame <= 9; ++frame) {
        EXPECT_TRUE(Frame().empty());
        EXPECT_EQ(std::make_pair(g_enemies[0].shatterFrame, g_scene), std::make_pair(frame, SCENE_PLAY));
    }
    EXPECT_EQ(g_player.attack, 0);
    Frame();
    EXPECT_EQ(std::make_pair(g_enemies[0].state, g_scene), std::make_pair(ACTOR_GONE, SCENE_CLEAR_INIT));
}

TEST_F(Play, TheCountdownLeavesOutThePausedTimeAndStopsAtZero) {
    Start({{452, 352, 9}});
    Frame();
    Frame();
    ExpectCountdown(60000 - Elapsed());

    // Paused time is left out whole; past the allowance the countdown stays at 0.
    headless::Advance(6000);
    g_pauseTotal = 5000;
    Frame();
    ExpectCountdown(60000 - (Elapsed() - 5000));
    headless::Advance(70000);
    Frame();
    ExpectCountdown(0);
    EXPECT_EQ(Pixel(592, 15), 0);
}

// A swing runs 13 frames after the press; arrows are read only in the press frame, and
// a held Z starts nothing new.
TEST_F(Play, ASwingTakesThirteenFramesAndNeedsZReleased) {
    Start();
    headless::PressKey(VK_RIGHT);
    headless::PressKey('Z');
    for (int attack = 2; attack <= 15; ++attack) {
        EXPECT_EQ(Frame(), attack == 2 ? Commands{SWING} : Commands{});
        EXPECT_EQ(std::make_pair(int(g_player.attack), g_player.x),
                  std::make_pair(attack % 15, 357));
    }
    EXPECT_TRUE(Frame().empty());
    EXPECT_EQ(std::make_pair(int(g_player.attack), g_player.x), std::make_pair(0, 362));
    headless::ReleaseKey('Z');
    Frame();
    headless::PressKey('Z');
    EXPECT_EQ(Frame(), Commands{SWING});
    EXPECT_EQ(g_player.attack, 2);
}

// C loads the stage in the frame, again on the next turn, and again while held.
TEST_F(Play, HeldCRestartsTheStageTwiceAFrame) {
    Start({{348, 352, 2}});
    Frame();
    g_enemies[0].hp = 99;
    g_killCount = 3;
    headless::PressKey('C');
    Frame();
    EXPECT_EQ(std::make_tuple(g_scene, g_keyLatch, g_enemies[0].hp, g_killCount),
              std::make_tuple(SCENE_STAGE_INIT, 256, 2, 0));
    EXPECT_EQ(Pixel(256, 208), 0);  // the play view was wiped by the load
    EXPECT_EQ(Pixel(561, 121), CELL_COLOR);
    g_enemies[0].hp = 77;
    ASSERT_TRUE(test::RunUntil([] { return g_scene == SCENE_PLAY; }));
    EXPECT_EQ(g_enemies[0].hp, 2);
    Frame();
    EXPECT_EQ(g_scene, SCENE_STAGE_INIT);
}

// X and A are read while held; the pause keeps X latched.
TEST_F(Play, HeldXPausesAndHeldAGoesToTheResults) {
    Start();
    headless::PressKey('X');
    Frame();
    EXPECT_EQ(std::make_pair(g_scene, g_keyLatch), std::make_pair(SCENE_PAUSE_INIT, 16));
    headless::ReleaseKey('X');
    headless::PressKey('A');
    g_scene = SCENE_PLAY;
    Frame();
    EXPECT_EQ(g_scene, SCENE_RESULT_INIT);
}

}  // namespace
