// A game started headless on pictures whose cells are told apart by their index.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/scenes/scene_data.h"
#include "tests/support/harness.h"

class SceneTest : public ::testing::Test {
protected:
    void SetUp() override;
    // Jumps to a scene as its predecessor would hand over.
    void EnterScene(int scene);
    // Draws one more frame.
    void Frame();
    // The number whose units digit has its top-left corner at (x, y), further digits a
    // step (dx, dy) away, read off the captured frame; -1 when no digit is there.
    long long NumberAt(int x, int y, int dx, int dy, int maxDigits = 10) const;
    int CountOf(const std::string& command) const;

    test::ScratchDir dir_;
};

// Holds a key for one frame, then lets it go for one frame.
void TapKey(int key);
