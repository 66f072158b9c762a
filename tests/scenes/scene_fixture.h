// A game started headless on pictures whose every cell has its own palette index, so a test
// can tell from a captured frame which glyph or menu item landed where.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tests/support/harness.h"

constexpr std::uint8_t DIGIT_BASE = 100;  // glyph of digit d: index 100 + d
constexpr std::uint8_t TITLE_ITEM_BASE = 130;  // title item i: 130 + i

// Writes every picture and sound of the game into the working directory; the ending
// picture's row r has index r % 250 + 1.
void WriteSceneData();
std::uint8_t PixelAt(int x, int y);
// Holds a key for one frame, then lets it go for one frame.
void TapKey(int key);

class SceneTest : public ::testing::Test {
protected:
    void SetUp() override;
    // Jumps to a scene as its predecessor would hand over and runs until the game is in
    // `scene`.
    void Open(int initScene, int scene);
    void Frame();
    // The digits drawn with the units digit's top-left corner at (x, y), further digits a
    // step (dx, dy) away, most significant first; empty when none is there.
    std::string DigitsAt(int x, int y, int dx, int dy) const;

    test::ScratchDir dir_;
};
