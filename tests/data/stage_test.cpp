// The shipped stage as LoadStage reads it: a whole, closed map whose every code has a
// tile, a free start, and enough live enemies standing free to clear it (that the hero
// reaches them is shown by the whole run, which clears the stage).
#include <algorithm>
#include <cstdint>

#include "game/movement.h"
#include "game/stage.h"
#include "tests/data/pictures.h"

namespace {

constexpr std::int32_t UNREAD = -7777777;  // what a short file leaves behind
constexpr int START_ROW = 5;
constexpr int START_COLUMN = 5;

bool Blocks(std::int32_t code) { return code >= 20 && code <= 60; }

bool OnMap(int row, int column) {
    return row >= 0 && column >= 0 && row < MAP_ROWS && column < MAP_COLS;
}

// The cells under the collision box round a world point are all walkable.
bool BoxIsFree(std::int32_t x, std::int32_t y) {
    for (int py : {y - COLLISION_HALF, y + COLLISION_HALF}) {
        for (int px : {x - COLLISION_HALF, x + COLLISION_HALF}) {
            if (px < 0 || py < 0 || !OnMap(py / TILE_SIZE, px / TILE_SIZE) ||
                Blocks(g_map[py / TILE_SIZE][px / TILE_SIZE])) {
                return false;
            }
        }
    }
    return true;
}

class ShippedStage : public datatest::ShippedData {
protected:
    void SetUp() override {
        ShippedData::SetUp();
        test::StartGame();
        for (auto& row : g_map) std::fill(std::begin(row), std::end(row), UNREAD);
        for (Actor& enemy : g_enemies) {
            enemy = Actor{};
            enemy.x = enemy.y = enemy.hp = enemy.shatterFrame = UNREAD;
        }
        LoadStage();
    }
};

// Codes 0 to 69 have a tile; 99 is the marked cell; anything else would be drawn as bare
// background. Nothing stops a step off the map, so the edge must be wall all round.
TEST_F(ShippedStage, MapHasAll300CodesAClosedEdgeAndAFreeStart) {
    for (int row = 0; row < MAP_ROWS; ++row) {
        for (int column = 0; column < MAP_COLS; ++column) {
            const std::int32_t code = g_map[row][column];
            SCOPED_TRACE("map row " + std::to_string(row) + " column " + std::to_string(column));
            ASSERT_NE(code, UNREAD) << "the map file ends early or holds a non-number";
            EXPECT_TRUE((code >= 0 && code < 70) || code == 99) << "code " << code;
            if (row == 0 || column == 0 || row == MAP_ROWS - 1 || column == MAP_COLS - 1) {
                EXPECT_TRUE(Blocks(code)) << "an open edge lets actors leave the world";
            }
        }
    }
    EXPECT_FALSE(Blocks(g_map[START_ROW][START_COLUMN])) << g_map[START_ROW][START_COLUMN];
    EXPECT_TRUE(BoxIsFree(g_player.x, g_player.y));
}

TEST_F(ShippedStage, EnoughLiveEnemiesStandFreeWithinReachOfTheHero) {
    const datatest::Picture sheet = datatest::LoadPicture("bmp\\Char\\Enem.bmp");
    int live = 0;
    for (int i = 0; i < ENEMY_COUNT; ++i) {
        const Actor& enemy = g_enemies[i];
        SCOPED_TRACE("enemy record " + std::to_string(i));
        ASSERT_NE(enemy.shatterFrame, UNREAD) << "the enemy file has fewer than ten records";
        if (enemy.state != ACTOR_ALIVE) continue;
        ++live;
        EXPECT_GT(enemy.hp, 0);
        EXPECT_LT(enemy.dir, 4);
        EXPECT_LT(enemy.anim, 16);
        ASSERT_LT(enemy.sprite, 35) << "picture off the sheet";
        RECT cell;
        SpriteRect(enemy.sprite, enemy.dir, 0, &cell);
        EXPECT_GT(datatest::Art(sheet, cell), 0) << "picture " << int{enemy.sprite};
        EXPECT_TRUE(BoxIsFree(enemy.x, enemy.y)) << "at " << enemy.x << "," << enemy.y;
    }
    EXPECT_GE(live, 5) << "the stage cannot be cleared";
}

}  // namespace
