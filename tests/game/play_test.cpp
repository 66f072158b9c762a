// The play scene on the real main loop, headless: a small stage cleared with the sword,
// the scene keys, the swing's timing, and the composed frame as the player sees it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/game_frame.h"
#include "game/scene_state.h"
#include "game/stage.h"
#include "platform/headless/headless.h"
#include "tests/game/stage_files.h"

namespace {

using namespace gametest;

const std::string SWING = "Play SWO from 0 notify";
const std::string DAMAGE = "Play DMG from 0 notify";
const std::string BREAK = "Play BEN from 0 notify";

// Four enemies with 2 hit points and one with 3 stand inside the swing's first box (just
// left of the hero at (352, 352)); the other five are gone.
std::vector<Record> CloseEnemies() {
    std::vector<Record> enemies = {Enemy(0, 348, 352, 2, 3), Enemy(0, 348, 360, 2, 3),
                                   Enemy(0, 348, 340, 3, 3), Enemy(0, 349, 352, 2, 3),
                                   Enemy(0, 347, 352, 2, 3)};
    for (int i = 0; i < 5; ++i) enemies.push_back(Enemy(0, 1000, 800, 2, 0));
    return enemies;
}

std::vector<Record> NoEnemies() {
    return std::vector<Record>(10, Enemy(0, 1000, 800, 2, 0));
}

class Play : public ::testing::Test {
protected:
    // Loads the stage on the first loop turn; t0 is the virtual time of the load.
    void Start(const std::vector<Record>& enemies) {
        WriteSheets();
        WriteStage(enemies, {{2, 10, 99}});
        test::StartGame();
        for (int turn = 0; turn < 10 && g_scene != SCENE_PLAY; ++turn) {
            t0_ = static_cast<std::uint32_t>(headless::Now());
            test::Turn();
        }
        ASSERT_EQ(g_scene, SCENE_PLAY);
        ASSERT_EQ(g_stageStart, t0_);
    }

    // The effect commands sent since the last call.
    static std::vector<std::string> Effects() {
        std::vector<std::string> effects;
        for (const std::string& command : headless::MciLog()) {
            if (command == SWING || command == DAMAGE || command == BREAK)
                effects.push_back(command);
        }
        headless::ClearMciLog();
        return effects;
    }

    static void Frame() { ASSERT_TRUE(test::RunFrames(1)); }

    static BYTE Pixel(int x, int y) { return headless::LastFrame().pixels[y * 640 + x]; }

    // Units digit at (600, 0), each further digit 17 px to the left.
    static void ExpectCountdown(std::uint32_t value) {
        if (value == 0) {
            EXPECT_EQ(Pixel(609, 15), 0);
        }
        for (int k = 0; value != 0; ++k, value /= 10) {
            EXPECT_EQ(Pixel(609 - 17 * k, 15), DIGIT_COLOR + value % 10) << "digit " << k;
        }
    }

    std::uint32_t Elapsed() const { return static_cast<std::uint32_t>(headless::Now()) - t0_; }

    test::ScratchDir dir_;
    std::uint32_t t0_ = 0;
};

TEST_F(Play, TheSwordClearsTheStageOnTheFifthCountedKill) {
    Start(CloseEnemies());
    Frame();
    Frame();
    EXPECT_TRUE(Effects().empty());

    headless::PressKey('Z');
    Frame();  // the press frame: the first box hits all five
    EXPECT_EQ(Effects(), (std::vector<std::string>{SWING, BREAK, BREAK, DAMAGE, BREAK, BREAK}));
    Frame();  // the pushed one is still in the second box
    EXPECT_EQ(Effects(), std::vector<std::string>{BREAK});
    for (int frame = 2; frame <= 10; ++frame) {
        Frame();
        EXPECT_TRUE(Effects().empty()) << frame;
        EXPECT_EQ(g_killCount, frame == 10 ? 4 : 0) << frame;
        ASSERT_EQ(g_scene, SCENE_PLAY);
    }

    // The clear wins over A and X held in the same frame.
    headless::PressKey('A');
    headless::PressKey('X');
    Frame();
    EXPECT_EQ(g_scene, SCENE_CLEAR_INIT);
    EXPECT_EQ(g_clearTime, Elapsed());
    EXPECT_EQ(g_killCount, 0);
    EXPECT_EQ(g_player.x, 256);  // on screen: the camera stood at (96, 144)
    EXPECT_EQ(g_player.y, 208);

    // No mask, no overview; the countdown as usual.
    EXPECT_EQ(Pixel(20, 460), TILE_COLOR);
    EXPECT_EQ(Pixel(256, 208), HERO_COLOR);
    EXPECT_EQ(Pixel(562, 122), 243);
    ExpectCountdown(60000 - g_clearTime);
}

TEST_F(Play, TheFrameShowsTheDiscOverviewAndCountdownOverTheDark) {
    std::vector<Record> enemies = NoEnemies();
    enemies[3] = Enemy(0, 452, 352, 9, 3);
    Start(enemies);
    Frame();
    Frame();
    EXPECT_EQ(Pixel(256, 208), HERO_COLOR);
    EXPECT_EQ(Pixel(356, 208), ENEMY_COLOR);
    EXPECT_EQ(Pixel(316, 268), TILE_COLOR);
    EXPECT_EQ(Pixel(100, 450), 0);
    EXPECT_EQ(Pixel(500, 30), 0);
    EXPECT_EQ(Pixel(561, 121), CELL_COLOR);
    EXPECT_EQ(Pixel(601, 129), SPECIAL_CELL_COLOR);  // map cell (2, 10)
    EXPECT_EQ(Pixel(589, 141), ENEMY_DOT_COLOR);     // map cell (5, 7)
    EXPECT_EQ(Pixel(581, 141), HERO_DOT_COLOR);      // map cell (5, 5)
    ExpectCountdown(60000 - Elapsed());

    // Paused time is left out whole; past the allowance nothing is drawn.
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
    Start(NoEnemies());
    headless::PressKey(VK_RIGHT);
    headless::PressKey('Z');
    Frame();
    EXPECT_EQ(g_player.attack, 2);
    EXPECT_EQ(g_player.x, 357);
    EXPECT_EQ(Effects(), std::vector<std::string>{SWING});
    for (int attack = 3; attack <= 14; ++attack) {
        Frame();
        EXPECT_EQ(g_player.attack, attack);
        EXPECT_EQ(g_player.x, 357);
    }
    Frame();
    EXPECT_EQ(g_player.attack, 0);
    Frame();
    EXPECT_EQ(g_player.x, 362);
    EXPECT_EQ(g_player.attack, 0);
    EXPECT_TRUE(Effects().empty());

    headless::ReleaseKey('Z');
    Frame();
    headless::PressKey('Z');
    Frame();
    EXPECT_EQ(g_player.attack, 2);
    EXPECT_EQ(Effects(), std::vector<std::string>{SWING});
}

// C loads the stage in the frame and again on the next turn, and again while held.
TEST_F(Play, HeldCRestartsTheStageTwiceAFrame) {
    Start(CloseEnemies());
    Frame();
    g_enemies[0].hp = 99;
    g_killCount = 3;
    headless::PressKey('C');
    Frame();
    EXPECT_EQ(g_scene, SCENE_STAGE_INIT);
    EXPECT_EQ(g_keyLatch, 256);
    EXPECT_EQ(g_enemies[0].hp, 2);
    EXPECT_EQ(g_killCount, 0);
    EXPECT_EQ(Pixel(256, 208), 0);  // the play view was wiped by the load
    EXPECT_EQ(Pixel(561, 121), CELL_COLOR);

    g_enemies[0].hp = 77;
    headless::ClearMciLog();
    ASSERT_TRUE(test::RunUntil([] { return g_scene == SCENE_PLAY; }));
    EXPECT_EQ(g_enemies[0].hp, 2);
    EXPECT_EQ(headless::MciLog(),
              (std::vector<std::string>{"Stop OPE01", "Stop GAM01", "Play BAT03 from 0 notify"}));
    Frame();
    EXPECT_EQ(g_scene, SCENE_STAGE_INIT);
}

TEST_F(Play, HeldXPausesWithItsLatch) {
    Start(NoEnemies());
    headless::PressKey('X');
    Frame();
    EXPECT_EQ(g_scene, SCENE_PAUSE_INIT);
    EXPECT_EQ(g_keyLatch, 16);
}

TEST_F(Play, HeldAGoesToTheResults) {
    Start(NoEnemies());
    headless::PressKey('A');
    Frame();
    EXPECT_EQ(g_scene, SCENE_RESULT_INIT);
}

}  // namespace
