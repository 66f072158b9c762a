// The frame's conversion for display: at every scale each pixel's colour fills its square
// and nothing beside the area asked for is written; a frame compared with the one shown
// marks exactly the columns that differ in each row, and every row whole when the palette
// changed.
#include "platform/sdl/sdl_convert.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

namespace {


struct Frame {
    std::vector<std::uint8_t> pixels;
    std::uint32_t palette[256];
};

Frame MakeFrame() {
    Frame frame{std::vector<std::uint8_t>(SCREEN_WIDTH * SCREEN_HEIGHT), {}};
    for (int i = 0; i < SCREEN_WIDTH * SCREEN_HEIGHT; ++i) {
        frame.pixels[i] = static_cast<std::uint8_t>((i % SCREEN_WIDTH) * 3 + (i / SCREEN_WIDTH) * 5);
    }
    for (std::uint32_t i = 0; i < 256; ++i) frame.palette[i] = (i << 16) | ((i * 7 & 0xFF) << 8) | (255 - i);
    return frame;
}

// Rows on whole 16-byte boundaries (margin 0) take the streaming stores, the others not.
TEST(FrameConversion, EachScaleFillsEveryPixelsSquareAndWritesNothingElse) {
    constexpr std::uint32_t UNWRITTEN = 0xDEADBEEF;
    constexpr int FIRST = 7;
    constexpr int COUNT = 5;
    const Frame frame = MakeFrame();
    // Words left of the area and past its right edge in each row; whole rows and part of them.
    for (const auto& [left, right] : {std::pair{0, SCREEN_WIDTH}, std::pair{8, SCREEN_WIDTH - 36}}) {
        for (int margin : {0, 3}) {
            for (int scale : {1, 2, 3}) {
                SCOPED_TRACE(testing::Message() << "columns " << left << "-" << right << ", margin " << margin
                                                << ", scale " << scale);
                const int wordsPerRow = (right - left) * scale + 2 * margin;
                std::vector<std::uint32_t> target(static_cast<std::size_t>(wordsPerRow) * (COUNT * scale + 1),
                                                  UNWRITTEN);
                sdl_backend::ConvertRows(frame.pixels.data(), frame.palette, {left, FIRST, right, FIRST + COUNT},
                                         scale, target.data() + margin, wordsPerRow * 4);
                int wrong = 0;
                for (int row = 0; row <= COUNT * scale; ++row) {
                    for (int word = 0; word < wordsPerRow; ++word) {
                        const int x = left + (word - margin) / scale;
                        const bool inside = row < COUNT * scale && word >= margin && x < right;
                        const int y = FIRST + row / scale;
                        const std::uint32_t expected =
                            inside ? frame.palette[frame.pixels[y * SCREEN_WIDTH + x]] : UNWRITTEN;
                        wrong += target[static_cast<std::size_t>(row) * wordsPerRow + word] != expected;
                    }
                }
                EXPECT_EQ(wrong, 0);
            }
        }
    }
}

TEST(FrameConversion, ATakenFrameMarksTheColumnsThatDifferAndAllOfThemAfterAPaletteChange) {
    const auto shown = std::make_unique<sdl_backend::ShownFrame>();
    sdl_backend::ChangedSpan changed[SCREEN_HEIGHT];
    const auto spanOf = [&](int y) { return std::pair{changed[y].left, changed[y].right}; };
    Frame frame = MakeFrame();
    EXPECT_EQ(sdl_backend::TakeFrame(*shown, frame.pixels.data(), frame.palette, changed), SCREEN_HEIGHT);
    EXPECT_EQ(spanOf(100), std::pair(0, SCREEN_WIDTH));
    EXPECT_EQ(sdl_backend::TakeFrame(*shown, frame.pixels.data(), frame.palette, changed), 0);

    // The last pixel of the first row, the first of the last, one in the middle (widened to
    // whole groups of four), and two in a row, one either side of an eight-byte word's edge.
    for (const int at : {SCREEN_WIDTH - 1, (SCREEN_HEIGHT - 1) * SCREEN_WIDTH, 200 * SCREEN_WIDTH + 301,
                         300 * SCREEN_WIDTH + 7, 300 * SCREEN_WIDTH + 408}) {
        ++frame.pixels[at];
    }
    EXPECT_EQ(sdl_backend::TakeFrame(*shown, frame.pixels.data(), frame.palette, changed), 4);
    for (int y = 0; y < SCREEN_HEIGHT; ++y) {
        EXPECT_EQ(changed[y].Changed(), y == 0 || y == 200 || y == 300 || y == SCREEN_HEIGHT - 1) << y;
    }
    EXPECT_EQ(spanOf(0), std::pair(SCREEN_WIDTH - 4, SCREEN_WIDTH));
    EXPECT_EQ(spanOf(SCREEN_HEIGHT - 1), std::pair(0, 4));
    EXPECT_EQ(spanOf(200), std::pair(300, 304));
    EXPECT_EQ(spanOf(300), std::pair(4, 412));
    EXPECT_TRUE(std::equal(frame.pixels.begin(), frame.pixels.end(), shown->pixels));

    frame.palette[255] ^= 1;
    EXPECT_EQ(sdl_backend::TakeFrame(*shown, frame.pixels.data(), frame.palette, changed), SCREEN_HEIGHT);
    EXPECT_EQ(spanOf(100), std::pair(0, SCREEN_WIDTH));
    EXPECT_EQ(shown->palette[255], frame.palette[255]);
}

}  // namespace
