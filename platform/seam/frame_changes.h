// Which rows and columns of a frame changed since the frame shown, so that a backend
// converts and sends only those (the lantern's disc is a third of the screen's width, and
// the darkness around it stays the same).
#pragma once

#include <cstdint>

#include "platform/seam/screen.h"

// The frame on screen as the game drew it: what the next frame is compared with, and what
// the screenshot key saves.
struct ShownFrame {
    std::uint8_t pixels[SCREEN_WIDTH * SCREEN_HEIGHT];
    std::uint32_t palette[256];
    bool valid;  // false until a frame is taken, and again once the window is closed
};

// The columns of a row that changed since the frame shown: from `left` up to (not
// including) `right`, widened to whole groups of four pixels; empty when the row is the same.
struct ChangedSpan {
    int left;
    int right;
    bool Changed() const { return left < right; }
};

// Takes a new frame into `shown` and gives in `changed` each row's columns that differ
// from the row shown before; every row counts as changed across its width when the palette
// changed or no frame was shown. Returns the number of changed rows.
int TakeFrame(ShownFrame& shown, const std::uint8_t* pixels, const std::uint32_t* palette,
              ChangedSpan changed[SCREEN_HEIGHT]);
