// Reading the enemy and map files, and what a load does to the hero and the run.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "game/run_state.h"
#include "game/stage.h"
#include "tests/support/harness.h"

namespace {

// The 21 numbers of an enemy record in file order (hit box bottom before right).
using Record = std::array<std::int32_t, 21>;

Record FieldsOf(const Actor& a) {
    return {a.sprite, a.x, a.y, a.dx, a.dy, a.speedX, a.speedY, a.hp, a.state, a.dir, a.anim,
            a.power, a.reserved1, a.attack, a.reserved2, a.hitRect.left, a.hitRect.top,
            a.hitRect.bottom, a.hitRect.right, a.reserved3, a.shatterFrame};
}

// Records joined by `between`, numbers within a record by ",".
std::string EnemyText(const std::vector<Record>& records, const std::string& between = ",") {
    std::string text;
    for (const Record& record : records) {
        if (!text.empty()) text += between;
        for (std::int32_t n : record) text += std::to_string(n) + ",";
        text.pop_back();
    }
    return text;
}

// Every field differs from every other record's; the large values and the negatives in the
// last record show which fields keep only their low 8 bits.
std::vector<Record> Numbered(int count, int offset) {
    std::vector<Record> records(count);
    for (int r = 0; r < count; ++r) {
        for (int i = 0; i < 21; ++i) records[r][i] = 100 * (r + offset) + i;
    }
    records.back()[1] = -300;  // x
    records.back()[9] = -1;    // dir: 255
    records.back()[20] = -4;   // shatterFrame is 32-bit
    return records;
}

void Load(const std::string& enemyText) {
    test::WriteFile("txt/en.txt", enemyText);
    LoadStage();
}

void ExpectEnemies(const std::vector<Record>& expected) {
    for (int i = 0; i < ENEMY_COUNT; ++i) {
        Record stored = expected[i];
        for (int f : {0, 8, 9, 10, 11, 12, 13, 14}) stored[f] &= 0xFF;
        EXPECT_EQ(FieldsOf(g_enemies[i]), stored) << "enemy " << i;
    }
}

// Each file is read over a table of other values: fewer than ten records leave the rest as
// they were, and " ," stops the read at the comma.
TEST(StageLoad, EnemyFileVariants) {
    test::ScratchDir dir;
    test::StartGame();
    const std::vector<Record> before = Numbered(10, 50), ten = Numbered(10, 0),
                              twenty = Numbered(20, 20);
    std::string perLineBare;
    for (const Record& record : ten) perLineBare += EnemyText({record}) + "\n";
    std::vector<Record> seven = Numbered(7, 30), misplaced = before, wide = before;
    seven.insert(seven.end(), before.begin() + 7, before.end());
    for (int i = 0; i < 6; ++i) misplaced[0][i] = i == 0 ? 7 : i;
    wide[0][0] = 255, wide[0][1] = 1 << 20, wide[0][2] = -(1 << 20);
    const struct {
        const char* name;
        std::string text;
        std::vector<Record> expected;
    } cases[] = {
        {"ten on one line", EnemyText(ten), ten},
        {"twenty: the first ten", EnemyText(twenty), {twenty.begin(), twenty.begin() + 10}},
        {"seven", EnemyText(Numbered(7, 30)), seven},
        {"one record a line", EnemyText(ten, ",\n"), ten},
        {"one record a line, no trailing comma", perLineBare, ten},
        {"misplaced comma", "7,1,2,3,4,5 ,6,7", misplaced},
        {"beyond int: saturated, then cut", "4294967301,4294967301,-4294967301,", wide},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Load(EnemyText(before));
        Load(c.text);
        ExpectEnemies(c.expected);
    }
    EXPECT_EQ(g_enemies[3].hitRect.bottom, 5317);  // file order: left, top, bottom, right
}

// A load places the hero at the centre of cell (5, 5) with its speed and power, and starts
// a clean run (so a restart needs five kills of its own); a swing and the facing go on,
// and a missing enemy file changes no enemy.
TEST(StageLoad, PlacesTheHeroAndStartsTheRunAfresh) {
    test::ScratchDir dir;
    test::StartGame();
    Load(EnemyText(Numbered(10, 0)));
    std::filesystem::remove("txt/en.txt");
    g_player.x = 900, g_player.y = 900, g_player.speedX = 1, g_player.speedY = 9, g_player.power = 7;
    g_player.dir = DIR_LEFT, g_player.attack = 6;
    g_killCount = 3;
    g_pauseStart = 11, g_pauseEnd = 12, g_pauseTotal = 13;
    LoadStage();
    const Actor& p = g_player;
    EXPECT_EQ(std::make_tuple(p.x, p.y, p.speedX, p.speedY, p.power, p.dir, p.attack),
              std::make_tuple(352, 352, 5, 5, 2, DIR_LEFT, 6));
    EXPECT_EQ(std::make_tuple(g_killCount, g_pauseStart, g_pauseEnd, g_pauseTotal),
              std::make_tuple(0, 0u, 0u, 0u));
    EXPECT_NE(g_keyBrush, nullptr);
    ExpectEnemies(Numbered(10, 0));
}

}  // namespace
