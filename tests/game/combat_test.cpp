// The sword's reach per swing phase, its hits, knock-back and kills.
#include "game/combat.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "game/stage.h"
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

}  // namespace
