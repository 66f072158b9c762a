// The shipped stage as LoadStage reads it: a whole, closed map whose every code has a
// tile, a free start, and enough live enemies standing free to clear it (that the hero
// reaches them is shown by the whole run, which clears the stage).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "game/movement.h"
#include "game/stage.h"
#include "tests/support/harness.h"

namespace {

constexpr std::int32_t UNREAD = -7777777;  // what a short map file leaves behind

bool Blocks(std::int32_t code) { return code >= 20 && code <= 60; }

// The cells under the collision box round a world point are all on the map and walkable.
bool BoxIsFree(std::int32_t x, std::int32_t y) {
    for (int py : {y - COLLISION_HALF, y + COLLISION_HALF}) {
        for (int px : {x - COLLISION_HALF, x + COLLISION_HALF}) {
            if (px < 0 || py < 0 || py / TILE_SIZE >= MAP_ROWS || px / TILE_SIZE >= MAP_COLS ||
                Blocks(g_map[py / TILE_SIZE][px / TILE_SIZE])) {
                return false;
            }
        }
    }
    return true;
}

// Codes 0 to 69 have a tile; 99 is the marked cell; anything else would be drawn as bare
// background. Nothing stops a step off the map, so the edge must be wall all round.
TEST(ShippedStage, IsWholeClosedAndClearableFromAFreeStart) {
    test::DataDir dir;
    test::StartGame();
    for (auto& row : g_map) std::fill(std::begin(row), std::end(row), UNREAD);
    LoadStage();
    for (int row = 0; row < MAP_ROWS; ++row) {
        for (int column = 0; column < MAP_COLS; ++column) {
            const std::int32_t code = g_map[row][column];
            SCOPED_TRACE("map row " + std::to_string(row) + " column " + std::to_string(column));
            ASSERT_NE(code, UNREAD) << "the map file ends early or holds a non-number";
            EXPECT_TRUE((code >= 0 && code < 70) || code == 99) << "code " << code;
            const bool edge = row == 0 || column == 0 || row == MAP_ROWS - 1 || column == MAP_COLS - 1;
            EXPECT_TRUE(Blocks(code) || !edge) << "an open edge lets actors leave the world";
        }
    }
    EXPECT_TRUE(BoxIsFree(g_player.x, g_player.y));
    int live = 0;
    for (const Actor& enemy : g_enemies) {
        SCOPED_TRACE("enemy record " + std::to_string(&enemy - g_enemies));
        if (enemy.state != ACTOR_ALIVE) continue;
        ++live;
        EXPECT_GT(enemy.hp, 0);
        EXPECT_LT(enemy.dir, 4);
        EXPECT_LT(enemy.anim, 16);
        EXPECT_LT(enemy.sprite, 35) << "picture off the sheet";
        EXPECT_TRUE(BoxIsFree(enemy.x, enemy.y)) << "at " << enemy.x << "," << enemy.y;
    }
    EXPECT_GE(live, 5) << "the stage cannot be cleared";
}

}  // namespace
