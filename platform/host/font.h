// Our own bitmap font: 5x8 glyphs for printable ASCII, one byte a row with bit 4 the
// leftmost column; rows 0-6 hold capitals and digits, row 7 the descenders. The stand-in's
// TextOutA draws them bold and doubled in height; the SDL backend writes its notes with them.
#pragma once

#include <cstdint>

namespace font {

constexpr int GLYPH_WIDTH = 5;
constexpr int GLYPH_HEIGHT = 8;

// The glyph of a character, GLYPH_HEIGHT rows; characters outside printable ASCII are blank.
const std::uint8_t* Glyph(char c);

}  // namespace font
