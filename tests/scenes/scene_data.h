// Small pictures whose every cell has its own palette index, so a test can tell from a
// captured frame which glyph, caption or menu item landed where.
#pragma once

#include <cstdint>

namespace scene_data {

constexpr std::uint8_t DIGIT_BASE = 100;    // glyph of digit d: index 100 + d
constexpr std::uint8_t CAPTION_BASE = 120;  // results caption of row r: 120 + r
constexpr std::uint8_t TITLE_ITEM_BASE = 130;
constexpr std::uint8_t PAUSE_ITEM_BASE = 140;
constexpr std::uint8_t TITLE_PICTURE = 5;
constexpr std::uint8_t OPENING_PICTURE = 6;
constexpr std::uint8_t RANKING_BACK = 7;
constexpr std::uint8_t RANKING_PICTURE = 8;
constexpr std::uint8_t STAGE_PICTURE = 9;

// Writes every picture of the game (and the sound files) into the working directory.
// The ending picture's row r has index r % 250 + 1.
void WriteAll();

// Index of the captured frame's pixel.
std::uint8_t PixelAt(int x, int y);

}  // namespace scene_data
