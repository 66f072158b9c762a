// The sword's reach per swing phase, hits, knock-back, kills with their shatter frames,
// and the enemy states.
#include "game/combat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "game/game_frame.h"
#include "game/movement.h"
#include "gfx/surfaces.h"
#include "gfx/transitions.h"
#include "platform/headless/headless.h"
#include "tests/support/harness.h"

namespace {

constexpr int HX = 500, HY = 500;
using Commands = std::vector<std::string>;
const std::string DAMAGE = "Play DMG from 0 notify", BREAK = "Play BEN from 0 notify";

class Sword : public ::testing::Test {
protected:
    void SetUp() override {
        test::StartGame();  // each test runs in its own process: the globals start at zero
        g_player.x = HX, g_player.y = HY, g_player.power = 2, g_player.attack = 3;
        g_camera = {96, 144};
        headless::ClearMciLog();
    }

    static Actor& Place(int i, int x, int y, int hp, std::uint8_t state) {
        Actor& enemy = g_enemies[i];
        enemy.x = x, enemy.y = y, enemy.hp = hp, enemy.state = state;
        enemy.hitRect = RECT{x - 32, y - 32, x + 32, y + 32};
        return enemy;
    }

    static bool HitAt(int attack, int dx, int dy) {
        g_player.attack = static_cast<std::uint8_t>(attack);
        Place(0, HX + dx, HY + dy, 100, ACTOR_ALIVE);
        SwordPass();
        return g_enemies[0].hp != 100;
    }

    // The back buffer's picture, cleared afterwards.
    static std::vector<BYTE> TakeBack() {
        BYTE* pixels = g_back->Pixels();
        std::vector<BYTE> picture(pixels, pixels + SCREEN_WIDTH * SCREEN_HEIGHT);
        std::memset(pixels, 0, picture.size());
        return picture;
    }
};

// The strict overlap of each phase's box with the enemy's 64x64 square (phase 0's negative
// width leaves a narrow band); the last three swing frames reach nothing.
TEST_F(Sword, EachPhaseReachesExactlyItsBox) {
    const struct {
        int attack, left, right, top, bottom;  // enemy offsets from the hero still hit
    } reaches[] = {
        {2, -6, -2, -42, 61}, {3, -56, 63, -17, 61}, {6, -24, 62, -44, 51}, {9, -38, 62, -44, 51}};
    for (const auto& r : reaches) {
        const int mx = (r.left + r.right) / 2, my = (r.top + r.bottom) / 2;
        SCOPED_TRACE("attack " + std::to_string(r.attack));
        EXPECT_TRUE(HitAt(r.attack, r.left, my) && HitAt(r.attack, r.right, my));
        EXPECT_TRUE(HitAt(r.attack, mx, r.top) && HitAt(r.attack, mx, r.bottom));
        EXPECT_FALSE(HitAt(r.attack, r.left - 1, my) || HitAt(r.attack, r.right + 1, my));
        EXPECT_FALSE(HitAt(r.attack, mx, r.top - 1) || HitAt(r.attack, mx, r.bottom + 1));
    }
    EXPECT_TRUE(HitAt(4, 0, 0) && HitAt(11, 0, 0));
    for (int attack : {12, 13, 14}) EXPECT_FALSE(HitAt(attack, 0, 0)) << attack;
}

// A hit takes the hero's power and pushes the way the hero faces, through walls; the hit
// that takes the last points breaks the enemy instead.
TEST_F(Sword, HitsPushThroughWallsAndTheLastOneBreaks) {
    std::fill(&g_map[0][0], &g_map[0][0] + MAP_ROWS * MAP_COLS, 30);
    const std::pair<std::uint8_t, std::pair<int, int>> pushes[] = {
        {DIR_DOWN, {0, 30}}, {DIR_UP, {0, -30}}, {DIR_RIGHT, {30, 0}}, {DIR_LEFT, {-30, 0}}};
    for (const auto& [dir, push] : pushes) {
        g_player.dir = dir;
        const Actor& enemy = Place(0, HX, HY, 3, ACTOR_ALIVE);
        SwordPass();
        EXPECT_EQ(std::make_tuple(enemy.x - HX, enemy.y - HY, enemy.hp, enemy.state),
                  std::make_tuple(push.first, push.second, 1, ACTOR_ALIVE));
        EXPECT_EQ(headless::MciLog(), Commands{DAMAGE});
        headless::ClearMciLog();
    }
    const Actor& enemy = Place(0, HX - 30, HY, 1, ACTOR_ALIVE);  // still inside the box
    SwordPass();
    EXPECT_EQ(std::make_tuple(enemy.hp, enemy.x, enemy.state),
              std::make_tuple(-1, HX - 30, ACTOR_DYING));
    EXPECT_EQ(headless::MciLog(), Commands{BREAK});
}

// Spread 1 to 9 in the nine frames after the hit, the kill counted in the tenth; the sword
// need not swing meanwhile.
TEST_F(Sword, ADestroyedEnemyShattersThenCounts) {
    for (int i = 0; i < 960 * 2000; ++i) g_offscreen3->Pixels()[i] = static_cast<BYTE>(1 + i % 97);
    Actor& enemy = Place(4, 480, 520, 2, ACTOR_ALIVE);
    enemy.sprite = 7, enemy.dir = DIR_RIGHT, enemy.anim = 6;  // the sheet cell at (448, 384)
    SwordPass();
    ASSERT_EQ(enemy.state, ACTOR_DYING);
    g_player.attack = 0;
    for (int frame = 1; frame <= 9; ++frame) {
        TakeBack();
        AdvanceBreakUps();
        const std::vector<BYTE> drawn = TakeBack();
        ShatterBlit(g_back, 480 - 96 - 32, 520 - 144 - 32, g_offscreen3, 448, 384, 64, 64, frame);
        EXPECT_EQ(drawn, TakeBack()) << "frame " << frame;
        EXPECT_EQ(std::make_pair(enemy.shatterFrame, g_killCount), std::make_pair(frame, 0));
    }
    AdvanceBreakUps();
    EXPECT_EQ(std::make_tuple(enemy.state, g_killCount), std::make_tuple(ACTOR_GONE, 1));
    EXPECT_EQ(TakeBack(), std::vector<BYTE>(SCREEN_WIDTH * SCREEN_HEIGHT, 0));
    AdvanceBreakUps();
    EXPECT_EQ(g_killCount, 1);
}

// 0 and 1 are never hit; 2 breaks at any hit; over 3 is hit without push or
// sound and breaks at its last points.
TEST_F(Sword, StatesDecideWhoIsHitAndHowItSounds) {
    const Actor& gone = Place(0, HX, HY, 100, ACTOR_GONE);
    const Actor& dying = Place(1, HX, HY, 100, ACTOR_DYING);
    const Actor& killed = Place(2, HX, HY, 100, ACTOR_KILLED);
    const Actor& odd = Place(3, HX, HY, 100, 4);
    const Actor& oddLast = Place(4, HX, HY, 2, 200);
    SwordPass();
    EXPECT_EQ(std::make_tuple(gone.hp, gone.state), std::make_tuple(100, ACTOR_GONE));
    EXPECT_EQ(std::make_tuple(dying.hp, dying.shatterFrame), std::make_tuple(100, 0));
    EXPECT_EQ(std::make_tuple(killed.hp, killed.state), std::make_tuple(98, ACTOR_DYING));
    EXPECT_EQ(std::make_tuple(odd.hp, odd.state, odd.x, odd.y), std::make_tuple(98, 4, HX, HY));
    EXPECT_EQ(oddLast.state, ACTOR_DYING);
    EXPECT_EQ(headless::MciLog(), (Commands{BREAK, BREAK}));
}

}  // namespace
