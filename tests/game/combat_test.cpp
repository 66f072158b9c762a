// The sword's reach per swing phase, hits, knock-back, kills with their shatter frames,
// the enemy states, and the random walk.
#include "game/combat.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "game/game_frame.h"
#include "game/movement.h"
#include "game/stage.h"
#include "gfx/surfaces.h"
#include "gfx/transitions.h"
#include "platform/headless/headless.h"
#include "tests/support/harness.h"

namespace {

constexpr int HX = 500;
constexpr int HY = 500;

class Sword : public ::testing::Test {
protected:
    void SetUp() override {
        test::StartGame();
        g_player = Actor{};
        g_player.x = HX;
        g_player.y = HY;
        g_player.power = 2;
        for (Actor& enemy : g_enemies) enemy = Actor{};
        for (auto& row : g_map) {
            for (std::int32_t& code : row) code = 0;
        }
        g_camera = {96, 144};
        headless::ClearMciLog();
    }

    static Actor& Place(int i, int x, int y, int hp, std::uint8_t state) {
        Actor& enemy = g_enemies[i];
        enemy.x = x;
        enemy.y = y;
        enemy.hp = hp;
        enemy.state = state;
        enemy.hitRect = RECT{x - 32, y - 32, x + 32, y + 32};
        return enemy;
    }

    static bool HitAt(int attack, int dx, int dy) {
        g_player.attack = static_cast<std::uint8_t>(attack);
        Place(0, HX + dx, HY + dy, 100, ACTOR_ALIVE);
        SwordPass();
        return g_enemies[0].hp != 100;
    }

    static std::vector<BYTE> Back() {
        return {g_back->Pixels(), g_back->Pixels() + SCREEN_WIDTH * SCREEN_HEIGHT};
    }
    static void ClearBack() { std::memset(g_back->Pixels(), 0, SCREEN_WIDTH * SCREEN_HEIGHT); }
};

struct Reach {
    int attack;
    int left, right, top, bottom;  // enemy offsets from the hero that are still hit
};

// The strict overlap of each phase's box with the enemy's 64x64 square; phase 0's
// negative width leaves a narrow band.
TEST_F(Sword, EachPhaseReachesExactlyItsBox) {
    const Reach reaches[] = {
        {2, -6, -2, -42, 61}, {3, -56, 63, -17, 61}, {6, -24, 62, -44, 51}, {9, -38, 62, -44, 51}};
    for (const Reach& r : reaches) {
        const int mx = (r.left + r.right) / 2;
        const int my = (r.top + r.bottom) / 2;
        SCOPED_TRACE("attack " + std::to_string(r.attack));
        EXPECT_TRUE(HitAt(r.attack, r.left, my));
        EXPECT_TRUE(HitAt(r.attack, r.right, my));
        EXPECT_TRUE(HitAt(r.attack, mx, r.top));
        EXPECT_TRUE(HitAt(r.attack, mx, r.bottom));
        EXPECT_FALSE(HitAt(r.attack, r.left - 1, my));
        EXPECT_FALSE(HitAt(r.attack, r.right + 1, my));
        EXPECT_FALSE(HitAt(r.attack, mx, r.top - 1));
        EXPECT_FALSE(HitAt(r.attack, mx, r.bottom + 1));
    }
    EXPECT_TRUE(HitAt(4, 0, 0));
    EXPECT_TRUE(HitAt(11, 0, 0));
    for (int attack : {12, 13, 14}) EXPECT_FALSE(HitAt(attack, 0, 0)) << attack;
}

TEST_F(Sword, AHitDamagesAndPushesTheLastOneBreaks) {
    g_player.attack = 3;
    g_player.dir = DIR_LEFT;
    Actor& enemy = Place(0, HX, HY + 10, 3, ACTOR_ALIVE);
    SwordPass();
    EXPECT_EQ(enemy.hp, 1);
    EXPECT_EQ(enemy.x, HX - 30);
    EXPECT_EQ(enemy.state, ACTOR_ALIVE);
    EXPECT_EQ(headless::MciLog(), std::vector<std::string>{"Play DMG from 0 notify"});

    headless::ClearMciLog();
    enemy.hitRect = RECT{enemy.x - 32, enemy.y - 32, enemy.x + 32, enemy.y + 32};
    SwordPass();  // still inside the box: hit again
    EXPECT_EQ(enemy.hp, -1);
    EXPECT_EQ(enemy.x, HX - 30);
    EXPECT_EQ(enemy.state, ACTOR_DYING);
    EXPECT_EQ(headless::MciLog(), std::vector<std::string>{"Play BEN from 0 notify"});
}

TEST_F(Sword, KnockBackFollowsTheHeroAndIgnoresWalls) {
    for (auto& row : g_map) {
        for (std::int32_t& code : row) code = 30;
    }
    const std::pair<std::uint8_t, std::pair<int, int>> pushes[] = {
        {DIR_DOWN, {0, 30}}, {DIR_UP, {0, -30}}, {DIR_RIGHT, {30, 0}}, {DIR_LEFT, {-30, 0}}};
    for (const auto& [dir, push] : pushes) {
        g_player.dir = dir;
        g_player.attack = 3;
        Actor& enemy = Place(0, HX, HY, 5, ACTOR_ALIVE);
        SwordPass();
        EXPECT_EQ(std::make_pair(enemy.x - HX, enemy.y - HY), push) << int(dir);
    }
}

// Spread 1 to 9 in the nine swing frames after the hit, the kill counted in the tenth.
TEST_F(Sword, ADestroyedEnemyShattersThenCounts) {
    for (int i = 0; i < 960 * 2000; ++i) g_offscreen3->Pixels()[i] = static_cast<BYTE>(1 + i % 97);
    g_player.attack = 3;
    Actor& enemy = Place(4, 480, 520, 2, ACTOR_ALIVE);
    enemy.sprite = 7;
    enemy.dir = DIR_RIGHT;
    enemy.anim = 6;
    SwordPass();
    ASSERT_EQ(enemy.state, ACTOR_DYING);
    for (int frame = 1; frame <= 9; ++frame) {
        ClearBack();
        SwordPass();
        const std::vector<BYTE> drawn = Back();
        ClearBack();
        ShatterBlit(g_back, 480 - 96 - 32, 520 - 144 - 32, g_offscreen3, 448, 384, 64, 64, frame);
        EXPECT_EQ(drawn, Back()) << "frame " << frame;
        EXPECT_EQ(enemy.shatterFrame, frame);
        EXPECT_EQ(g_killCount, 0);
    }
    ClearBack();
    SwordPass();
    EXPECT_EQ(enemy.state, ACTOR_GONE);
    EXPECT_EQ(g_killCount, 1);
    EXPECT_EQ(Back(), std::vector<BYTE>(SCREEN_WIDTH * SCREEN_HEIGHT, 0));
    SwordPass();
    EXPECT_EQ(g_killCount, 1);
}

TEST_F(Sword, StatesDecideWhoIsHitAndHowItSounds) {
    g_player.attack = 3;
    Actor& gone = Place(0, HX, HY, 100, ACTOR_GONE);
    Actor& dying = Place(1, HX, HY, 100, ACTOR_DYING);
    Actor& killed = Place(2, HX, HY, 100, ACTOR_KILLED);
    Actor& odd = Place(3, HX, HY, 100, 4);
    Actor& oddLast = Place(4, HX, HY, 2, 200);
    SwordPass();
    EXPECT_EQ(gone.hp, 100);
    EXPECT_EQ(gone.state, ACTOR_GONE);
    EXPECT_EQ(dying.hp, 100);
    EXPECT_EQ(dying.shatterFrame, 1);
    EXPECT_EQ(killed.hp, 98);
    EXPECT_EQ(killed.state, ACTOR_DYING);
    EXPECT_EQ(odd.hp, 98);
    EXPECT_EQ(odd.state, 4);
    EXPECT_EQ(std::make_pair(odd.x, odd.y), std::make_pair(HX, HY));
    EXPECT_EQ(oddLast.state, ACTOR_DYING);
    EXPECT_EQ(headless::MciLog(),
              (std::vector<std::string>{"Play BEN from 0 notify", "Play BEN from 0 notify"}));
}

// Every enemy, gone or not, turns and takes one step; speed 0 stays put.
TEST_F(Sword, EnemiesWanderOneStepInTheirNewDirection) {
    Place(0, 300, 300, 1, ACTOR_GONE).speedX = 3;
    g_enemies[0].speedY = 3;
    Place(1, 600, 600, 1, ACTOR_ALIVE).anim = 15;
    for (int frame = 0; frame < 8; ++frame) {
        const Actor before = g_enemies[0];
        WanderEnemies();
        const Actor& a = g_enemies[0];
        const int sx = a.dir == DIR_RIGHT ? 3 : a.dir == DIR_LEFT ? -3 : 0;
        const int sy = a.dir == DIR_DOWN ? 3 : a.dir == DIR_UP ? -3 : 0;
        EXPECT_EQ(std::make_pair(a.x, a.y), std::make_pair(before.x + sx, before.y + sy));
        EXPECT_EQ(a.hitRect.left, a.x - 32);
        EXPECT_EQ(a.hitRect.bottom, a.y + 32);
        EXPECT_EQ(std::make_pair(g_enemies[1].x, g_enemies[1].y), std::make_pair(600, 600));
    }
    EXPECT_EQ(g_enemies[1].anim, 7);
}

}  // namespace
