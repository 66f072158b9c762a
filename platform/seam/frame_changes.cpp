#include "platform/seam/frame_changes.h"

#include <bit>
#include <cstring>

namespace {

constexpr int WIDTH = SCREEN_WIDTH;

std::uint64_t Word(const std::uint8_t* at) {
    std::uint64_t word;
    std::memcpy(&word, at, sizeof word);
    return word;
}

// Where two rows that differ differ, eight bytes at a time from each end (the first
// pixel is the low byte of a little-endian word).
ChangedSpan Difference(const std::uint8_t* kept, const std::uint8_t* row) {
    int left = 0;
    while (Word(kept + left) == Word(row + left)) left += 8;
    left += std::countr_zero(Word(kept + left) ^ Word(row + left)) / 8;
    int last = WIDTH - 8;
    while (Word(kept + last) == Word(row + last)) last -= 8;
    last += 7 - std::countl_zero(Word(kept + last) ^ Word(row + last)) / 8;
    return {left & ~3, (last + 4) & ~3};
}

}  // namespace

int TakeFrame(ShownFrame& shown, const std::uint8_t* pixels, const std::uint32_t* palette,
              ChangedSpan changed[SCREEN_HEIGHT]) {
    const bool all = !shown.valid || std::memcmp(shown.palette, palette, sizeof shown.palette) != 0;
    std::memcpy(shown.palette, palette, sizeof shown.palette);
    shown.valid = true;
    int count = 0;
    for (int y = 0; y < SCREEN_HEIGHT; ++y) {
        const std::uint8_t* row = pixels + y * WIDTH;
        std::uint8_t* kept = shown.pixels + y * WIDTH;
        // Most rows are the same (the darkness): one compare tells them.
        if (all) {
            changed[y] = {0, WIDTH};
        } else if (std::memcmp(kept, row, WIDTH) != 0) {
            changed[y] = Difference(kept, row);
        } else {
            changed[y] = {0, 0};
            continue;
        }
        std::memcpy(kept + changed[y].left, row + changed[y].left,
                    static_cast<std::size_t>(changed[y].right - changed[y].left));
        ++count;
    }
    return count;
}
