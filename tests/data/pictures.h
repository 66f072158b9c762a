// The shipped data tree in a scratch folder, its pictures as the game's own bitmap loader
// reads them, and the questions the data tests ask of their cells.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gdi.h"
#include "tests/support/harness.h"

namespace datatest {

constexpr std::uint8_t KEY = 38;

class ShippedData : public ::testing::Test {
protected:
    void SetUp() override { test::CopyRealData(); }
    test::ScratchDir dir_;
};

struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint8_t> pixels;  // rows top to bottom
    std::vector<RGBQUAD> palette;      // as many entries as the colour table gives
    std::uint8_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// Through LoadImageA, GetObjectA and GetDIBColorTable, the path written as the game
// writes it; expects it to load.
Picture LoadPicture(const char* gamePath);
// Non-key pixels of the rectangle, cut to the picture.
int Art(const Picture& picture, RECT rect);
// Non-key pixels of the one-pixel ring just outside the rectangle that lie in none of
// `others` (cells the game also draws from): art that a copy of the rectangle cuts off.
int ArtAround(const Picture& picture, RECT rect, const std::vector<RECT>& others = {});
bool SameCells(const Picture& picture, RECT a, RECT b);
int Area(RECT rect);
std::string Describe(RECT rect);

}  // namespace datatest
