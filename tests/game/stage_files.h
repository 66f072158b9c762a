// A small stage written by the tests: enemy and map files in the "%d," syntax, and the
// three sheets painted in flat colours so that every drawn piece can be told apart.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "game/stage.h"
#include "tests/support/harness.h"

namespace gametest {

constexpr std::uint8_t TILE_COLOR = 50;  // tile code 0
constexpr std::uint8_t HERO_COLOR = 60;
constexpr std::uint8_t DIGIT_COLOR = 70;  // digit d is DIGIT_COLOR + d
constexpr std::uint8_t CELL_COLOR = 80;
constexpr std::uint8_t SPECIAL_CELL_COLOR = 81;
constexpr std::uint8_t ENEMY_DOT_COLOR = 82;
constexpr std::uint8_t HERO_DOT_COLOR = 83;
constexpr std::uint8_t ENEMY_COLOR = 90;
constexpr std::uint8_t KEY = 38;

// The 21 numbers of an enemy record in file order (hit box bottom before right).
using Record = std::array<std::int32_t, 21>;

inline Record Enemy(int sprite, int x, int y, int hp, int state, int speed = 0) {
    return {sprite, x, y, 0, 0, speed, speed, hp, state, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
}

inline Record FieldsOf(const Actor& a) {
    return {a.sprite,
            a.x,
            a.y,
            a.dx,
            a.dy,
            a.speedX,
            a.speedY,
            a.hp,
            a.state,
            a.dir,
            a.anim,
            a.power,
            a.reserved1,
            a.attack,
            a.reserved2,
            a.hitRect.left,
            a.hitRect.top,
            a.hitRect.bottom,
            a.hitRect.right,
            a.reserved3,
            a.shatterFrame};
}

// Records joined by `between`, numbers within a record by ",".
inline std::string EnemyText(const std::vector<Record>& records, const std::string& between = ",") {
    std::string text;
    for (std::size_t r = 0; r < records.size(); ++r) {
        if (r > 0) text += between;
        for (std::size_t i = 0; i < records[r].size(); ++i) {
            if (i > 0) text += ",";
            text += std::to_string(records[r][i]);
        }
    }
    return text;
}

// All code 0 but the listed cells.
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

// Distinct colours; 38 is the only magenta and 0 the only black.
inline std::vector<std::uint32_t> Palette() {
    std::vector<std::uint32_t> palette(256);
    for (std::uint32_t i = 0; i < 256; ++i) palette[i] = (i << 16) | (i << 8) | (255 - i);
    palette[0] = 0;
    palette[KEY] = 0xFF00FF;
    return palette;
}

inline void FillRect(std::vector<std::uint8_t>& pixels, int width, RECT r, std::uint8_t colour) {
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) pixels[y * width + x] = colour;
    }
}

inline void WriteSheets() {
    std::vector<std::uint8_t> tiles(640 * 480, KEY);
    FillRect(tiles, 640, {0, 0, 64, 64}, TILE_COLOR);
    test::WriteBmp("bmp/Map.bmp", 640, 480, tiles, Palette());

    std::vector<std::uint8_t> chars(640 * 480, KEY);
    FillRect(chars, 640, {0, 0, 384, 256}, HERO_COLOR);
    for (int d = 0; d < 10; ++d) {
        FillRect(chars, 640, {18 * d, 257, 18 * d + 18, 287},
                 static_cast<std::uint8_t>(DIGIT_COLOR + d));
    }
    FillRect(chars, 640, {183, 260, 187, 264}, CELL_COLOR);
    FillRect(chars, 640, {187, 260, 191, 264}, SPECIAL_CELL_COLOR);
    FillRect(chars, 640, {195, 260, 199, 264}, ENEMY_DOT_COLOR);
    FillRect(chars, 640, {203, 260, 207, 264}, HERO_DOT_COLOR);
    test::WriteBmp("bmp/Char/My_char.bmp", 640, 480, chars, Palette());

    test::WriteBmp("bmp/Char/Enem.bmp", 960, 2000,
                   std::vector<std::uint8_t>(960 * 2000, ENEMY_COLOR), Palette());
}

inline void WriteStage(const std::vector<Record>& enemies,
                       const std::vector<std::array<int, 3>>& cells = {}) {
    test::WriteFile("txt/en.txt", EnemyText(enemies));
    test::WriteFile("txt/Map/Map.txt", MapText(cells));
}

}  // namespace gametest
