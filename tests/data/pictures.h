// The shipped pictures as the game's own bitmap loader reads them, and the questions the
// data tests ask of their cells.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/gdi.h"

namespace datatest {

constexpr std::uint8_t KEY = 38;

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // rows top to bottom
    std::vector<RGBQUAD> palette;      // as many entries as the colour table gives

    std::uint8_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// Reads a picture through LoadImageA, GetObjectA and GetDIBColorTable, with the path
// written as the game writes it. False when the loader yields nothing.
bool LoadPicture(const char* gamePath, Picture* out);

// Pixels of the rectangle (cut to the picture) that are not the key.
int PicturePixels(const Picture& picture, RECT rect);
// The rectangle's own outermost rows and columns are all key: the art inside keeps a
// margin, so a keyed copy of the cell shows it whole.
bool MarginIsKey(const Picture& picture, RECT rect);
// Non-key pixels of the one-pixel ring just outside the rectangle, as "(x,y)" texts,
// leaving out pixels that lie in any of `others` (neighbouring cells the game also
// draws from). Non-empty means the art runs on past the rectangle and is cut.
std::vector<std::string> ArtAround(const Picture& picture, RECT rect,
                                   std::initializer_list<RECT> others = {});
// The two rectangles (same size) hold the same pixels.
bool SameCells(const Picture& picture, RECT a, RECT b);

std::string Describe(RECT rect);

}  // namespace datatest
