// The frame's conversion for display: at every scale each pixel's colour fills its square
// and nothing beside the rows asked for is written; a frame compared with the one shown
// marks exactly the rows that differ, and all of them when the palette changed.
#include "platform/sdl/sdl_convert.h"

#include <gtest/gtest.h>

#include <memory>
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
    // Words left of the picture and past its right edge in each row.
    for (int margin : {0, 3}) {
        for (int scale : {1, 2, 3}) {
            SCOPED_TRACE(testing::Message() << "margin " << margin << ", scale " << scale);
            const int wordsPerRow = SCREEN_WIDTH * scale + 2 * margin;
            std::vector<std::uint32_t> target(static_cast<std::size_t>(wordsPerRow) * (COUNT * scale + 1),
                                              UNWRITTEN);
            sdl_backend::ConvertRows(frame.pixels.data(), frame.palette, FIRST, COUNT, scale,
                                     target.data() + margin, wordsPerRow * 4);
            int wrong = 0;
            for (int row = 0; row <= COUNT * scale; ++row) {
                for (int word = 0; word < wordsPerRow; ++word) {
                    const int x = (word - margin) / scale;
                    const bool inside = row < COUNT * scale && word >= margin && x < SCREEN_WIDTH;
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

TEST(FrameConversion, ATakenFrameMarksTheRowsThatDifferAndAllOfThemAfterAPaletteChange) {
    const auto shown = std::make_unique<sdl_backend::ShownFrame>();
    bool changed[SCREEN_HEIGHT];
    Frame frame = MakeFrame();
    EXPECT_EQ(sdl_backend::TakeFrame(*shown, frame.pixels.data(), frame.palette, changed), SCREEN_HEIGHT);
    EXPECT_EQ(sdl_backend::TakeFrame(*shown, frame.pixels.data(), frame.palette, changed), 0);

    // The last pixel of the first row, the first of the last, one in the middle.
    for (const int at : {SCREEN_WIDTH - 1, (SCREEN_HEIGHT - 1) * SCREEN_WIDTH, 200 * SCREEN_WIDTH + 300}) {
        ++frame.pixels[at];
    }
    EXPECT_EQ(sdl_backend::TakeFrame(*shown, frame.pixels.data(), frame.palette, changed), 3);
    for (int y = 0; y < SCREEN_HEIGHT; ++y) EXPECT_EQ(changed[y], y == 0 || y == 200 || y == SCREEN_HEIGHT - 1) << y;
    EXPECT_TRUE(std::equal(frame.pixels.begin(), frame.pixels.end(), shown->pixels));

    frame.palette[255] ^= 1;
    EXPECT_EQ(sdl_backend::TakeFrame(*shown, frame.pixels.data(), frame.palette, changed), SCREEN_HEIGHT);
    EXPECT_EQ(shown->palette[255], frame.palette[255]);
}

}  // namespace
