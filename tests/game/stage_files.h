// A small stage written by the tests: enemy and map files in the "%d," syntax, and the
// three sheets painted in flat colours so that every drawn piece can be told apart.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "game/stage.h"
#include "tests/support/harness.h"

namespace gametest {

// Digit d is drawn in DIGIT_COLOR + d.
constexpr int TILE_COLOR = 50, HERO_COLOR = 60, DIGIT_COLOR = 70, ENEMY_COLOR = 90;
constexpr int CELL_COLOR = 80, SPECIAL_CELL_COLOR = 81, ENEMY_DOT_COLOR = 82, HERO_DOT_COLOR = 83;

// The 21 numbers of an enemy record in file order (hit box bottom before right).
using Record = std::array<std::int32_t, 21>;

inline Record Enemy(int x, int y, int hp, int state) {
    return {0, x, y, 0, 0, 0, 0, hp, state, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
}

inline Record FieldsOf(const Actor& a) {
    return {a.sprite, a.x, a.y, a.dx, a.dy, a.speedX, a.speedY, a.hp, a.state, a.dir, a.anim,
            a.power, a.reserved1, a.attack, a.reserved2, a.hitRect.left, a.hitRect.top,
            a.hitRect.bottom, a.hitRect.right, a.reserved3, a.shatterFrame};
}

// Records joined by `between`, numbers within a record by ",".
inline std::string EnemyText(const std::vector<Record>& records, const std::string& between = ",") {
    std::string text;
    for (const Record& record : records) {
        if (!text.empty()) text += between;
        for (std::int32_t n : record) text += std::to_string(n) + ",";
        text.pop_back();
    }
    return text;
}

// All code 0 but the listed {row, col, code} cells, a line a row.
inline std::string MapText(const std::vector<std::array<int, 3>>& cells = {}) {
    int map[MAP_ROWS][MAP_COLS] = {};
    for (const auto& [row, col, code] : cells) map[row][col] = code;
    std::string text;
    for (const auto& row : map) {
        for (int code : row) text += std::to_string(code) + ",";
        text += "\n";
    }
    return text;
}

// A sheet of key colour 38 with {left, top, right, bottom, colour} fills; the palette
// makes 38 the only magenta and 0 the only black.
inline void WriteSheet(const std::string& path, int width, int height,
                       const std::vector<std::array<int, 5>>& fills) {
    std::vector<std::uint8_t> pixels(width * height, 38);
    for (const auto& [left, top, right, bottom, colour] : fills) {
        for (int y = top; y < bottom; ++y) {
            std::fill_n(&pixels[y * width + left], right - left, static_cast<std::uint8_t>(colour));
        }
    }
    std::vector<std::uint32_t> palette(256);
    for (std::uint32_t i = 1; i < 256; ++i) palette[i] = (i << 16) | (i << 8) | (255 - i);
    palette[38] = 0xFF00FF;
    test::WriteBmp(path, width, height, pixels, palette);
}

// Writes the three sheets and the stage: the enemies and a map of code 0 but `cells`.
inline void WriteStage(const std::vector<Record>& enemies,
                       const std::vector<std::array<int, 3>>& cells) {
    WriteSheet("bmp/Map.bmp", 640, 480, {{0, 0, 64, 64, TILE_COLOR}});
    std::vector<std::array<int, 5>> chars = {
        {0, 0, 384, 256, HERO_COLOR}, {183, 260, 187, 264, CELL_COLOR},
        {187, 260, 191, 264, SPECIAL_CELL_COLOR}, {195, 260, 199, 264, ENEMY_DOT_COLOR},
        {203, 260, 207, 264, HERO_DOT_COLOR}};
    for (int d = 0; d < 10; ++d) chars.push_back({18 * d, 257, 18 * d + 18, 287, DIGIT_COLOR + d});
    WriteSheet("bmp/Char/My_char.bmp", 640, 480, chars);
    WriteSheet("bmp/Char/Enem.bmp", 960, 2000, {{0, 0, 960, 2000, ENEMY_COLOR}});
    test::WriteFile("txt/en.txt", EnemyText(enemies));
    test::WriteFile("txt/Map/Map.txt", MapText(cells));
}

}  // namespace gametest
