// The shipped stage as LoadStage reads it: a whole, closed map whose every code has a
// tile, a free start, and enough live enemies that the hero can reach to clear it.
#include <gtest/gtest.h>

#include <cstdint>
#include <queue>

#include "game/movement.h"
#include "game/stage.h"
#include "records/numbers.h"
#include "tests/data/pictures.h"
#include "tests/support/harness.h"

namespace {

constexpr std::int32_t UNREAD = -7777777;
constexpr int START_ROW = 5;
constexpr int START_COLUMN = 5;
constexpr int CLEAR_KILLS = 5;
constexpr int ENEMY_PICTURES = 35;

bool Blocks(std::int32_t code) { return code >= 20 && code <= 60; }

// The cells under the 35x35 collision box round a world point are all walkable.
bool BoxIsFree(std::int32_t x, std::int32_t y) {
    for (int py : {y - COLLISION_HALF, y + COLLISION_HALF}) {
        for (int px : {x - COLLISION_HALF, x + COLLISION_HALF}) {
            const int row = py / TILE_SIZE, column = px / TILE_SIZE;
            if (px < 0 || py < 0 || row >= MAP_ROWS || column >= MAP_COLS) return false;
            if (Blocks(g_map[row][column])) return false;
        }
    }
    return true;
}

class ShippedStage : public ::testing::Test {
protected:
    void SetUp() override {
        test::CopyRealData();
        test::StartGame();
        // Marks that a short file would leave behind.
        for (auto& row : g_map) {
            for (std::int32_t& code : row) code = UNREAD;
        }
        for (Actor& enemy : g_enemies) {
            enemy = Actor{};
            enemy.x = enemy.y = enemy.hp = enemy.shatterFrame = UNREAD;
        }
        LoadStage();
    }

    // Walkable cells reachable from the start, stepping between side neighbours.
    static std::vector<std::vector<bool>> Reachable() {
        std::vector<std::vector<bool>> seen(MAP_ROWS, std::vector<bool>(MAP_COLS, false));
        std::queue<std::pair<int, int>> open;
        open.push({START_ROW, START_COLUMN});
        seen[START_ROW][START_COLUMN] = true;
        while (!open.empty()) {
            const auto [row, column] = open.front();
            open.pop();
            const int steps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
            for (const auto& step : steps) {
                const int r = row + step[0], c = column + step[1];
                if (r < 0 || c < 0 || r >= MAP_ROWS || c >= MAP_COLS || seen[r][c] ||
                    Blocks(g_map[r][c])) {
                    continue;
                }
                seen[r][c] = true;
                open.push({r, c});
            }
        }
        return seen;
    }

    test::ScratchDir dir_;
};

// Codes 0 to 69 have a tile; 99 is the marked cell. Anything else would be drawn as bare
// background. Nothing stops a step off the map, so the edge must be wall all round.
TEST_F(ShippedStage, MapHasAll300CodesEachATileAndAClosedEdge) {
    for (int row = 0; row < MAP_ROWS; ++row) {
        for (int column = 0; column < MAP_COLS; ++column) {
            const std::int32_t code = g_map[row][column];
            SCOPED_TRACE("map row " + std::to_string(row) + " column " + std::to_string(column));
            ASSERT_NE(code, UNREAD) << "the map file ends early or holds a non-number";
            EXPECT_TRUE((code >= 0 && code < 70) || code == 99) << "code " << code;
            const bool edge =
                row == 0 || column == 0 || row == MAP_ROWS - 1 || column == MAP_COLS - 1;
            if (edge) {
                EXPECT_TRUE(Blocks(code)) << "an open edge lets actors leave the world";
            }
        }
    }
}

TEST_F(ShippedStage, HeroStartsOnAFreeCell) {
    EXPECT_FALSE(Blocks(g_map[START_ROW][START_COLUMN])) << g_map[START_ROW][START_COLUMN];
    EXPECT_TRUE(BoxIsFree(g_player.x, g_player.y));
}

TEST_F(ShippedStage, EnoughLiveEnemiesStandFreeWithinReachOfTheHero) {
    const std::vector<std::vector<bool>> reachable = Reachable();
    datatest::Picture sheet;
    ASSERT_TRUE(datatest::LoadPicture("bmp\\Char\\Enem.bmp", &sheet));
    int live = 0, within = 0;
    for (int i = 0; i < ENEMY_COUNT; ++i) {
        const Actor& enemy = g_enemies[i];
        SCOPED_TRACE("enemy record " + std::to_string(i));
        ASSERT_NE(enemy.shatterFrame, UNREAD) << "the enemy file has fewer than ten records";
        if (enemy.state != ACTOR_ALIVE) continue;
        ++live;
        EXPECT_GT(enemy.hp, 0);
        EXPECT_LT(enemy.dir, 4);
        EXPECT_LT(enemy.anim, 16);
        ASSERT_LT(enemy.sprite, ENEMY_PICTURES) << "picture off the sheet";
        RECT cell;
        SpriteRect(enemy.sprite, enemy.dir, 0, &cell);
        EXPECT_GT(datatest::PicturePixels(sheet, cell), 0) << "picture " << int{enemy.sprite};
        ASSERT_TRUE(enemy.x >= 0 && enemy.y >= 0 && enemy.x < MAP_COLS * TILE_SIZE &&
                    enemy.y < MAP_ROWS * TILE_SIZE)
            << enemy.x << "," << enemy.y;
        EXPECT_TRUE(BoxIsFree(enemy.x, enemy.y)) << "at " << enemy.x << "," << enemy.y;
        if (reachable[enemy.y / TILE_SIZE][enemy.x / TILE_SIZE]) ++within;
    }
    EXPECT_GE(live, CLEAR_KILLS);
    EXPECT_GE(within, CLEAR_KILLS) << "the stage cannot be cleared";
}

TEST_F(ShippedStage, RankingFileHoldsFiveScores) {
    std::int32_t scores[RANKING_SIZE];
    for (std::int32_t& score : scores) score = UNREAD;
    ReadNumbers(RANKING_SIZE, scores, "txt\\Ranking\\Ranking.txt");
    for (std::int32_t score : scores) {
        EXPECT_NE(score, UNREAD) << "the ranking file holds fewer than five numbers";
        EXPECT_GE(score, 0);
    }
}

}  // namespace
