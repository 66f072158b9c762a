// PNG files of a frame (palette indices) and of a composed picture (0x00RRGGBB words), read
// back with libpng: every pixel's colour as given; a name taken is not written over when
// only a new file may be made.
#include "platform/desktop/frame_png.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/harness.h"

namespace {

// The file's pixels as 0x00RRGGBB words, or none when it cannot be read.
std::vector<std::uint32_t> ReadPng(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
    image.format = PNG_FORMAT_BGRA;  // the words 0xAARRGGBB on this little-endian machine
    std::vector<std::uint32_t> pixels(image.width * image.height);
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return {};
    for (std::uint32_t& pixel : pixels) pixel &= 0xFFFFFF;
    return pixels;
}

TEST(FramePng, FramesAndPicturesReadBackAsGiven) {
    test::ScratchDir dir;
    std::uint32_t palette[256];
    for (std::uint32_t i = 0; i < 256; ++i) palette[i] = (i << 16) | ((255 - i) << 8) | (i * 3 & 0xFF);
    const std::vector<std::uint8_t> frame{0, 1, 2, 254, 255, 128};
    ASSERT_TRUE(WriteFramePng(frame.data(), 3, 2, palette, "frame.png", true));
    const std::vector<std::uint32_t> shown = ReadPng("frame.png");
    ASSERT_EQ(shown.size(), frame.size());
    for (std::size_t i = 0; i < frame.size(); ++i) EXPECT_EQ(shown[i], palette[frame[i]]) << i;
    EXPECT_FALSE(WriteFramePng(frame.data(), 3, 2, palette, "frame.png", true)) << "the name is taken";
    EXPECT_EQ(ReadPng("frame.png"), shown);

    const std::vector<std::uint32_t> picture{0x102030, 0xFFFFFF, 0x000000, 0xA0B0C0,
                                             0x0A0B0C, 0xFF0001, 0x00FF00, 0x123456};
    ASSERT_TRUE(WriteXrgbPng(picture.data(), 4, 2, "picture.png"));
    EXPECT_EQ(ReadPng("picture.png"), picture);
    EXPECT_FALSE(WriteXrgbPng(picture.data(), 4, 2, "missing/picture.png"));
}

}  // namespace
