// Every picture the game loads is there, readable by its loader, of the size its surface
// and cell layout need, and carries the one shared palette with its fixed entries.
#include <gtest/gtest.h>

#include "tests/data/pictures.h"
#include "tests/support/harness.h"

namespace {

using datatest::KEY;
using datatest::LoadPicture;
using datatest::Picture;

struct Load {
    const char* path;  // as the game writes it
    int width;
    int height;
};

// Every load the scenes make, including the second spelling of the character sheet.
constexpr Load LOADS[] = {
    {"bmp\\Map.bmp", 640, 480},
    {"bmp\\Char\\My_char.bmp", 640, 480},
    {"bmp\\Char\\My_Char.bmp", 640, 480},
    {"bmp\\Char\\Enem.bmp", 960, 2000},
    {"bmp\\OP.bmp", 640, 480},
    {"bmp\\ets.bmp", 640, 480},
    {"bmp\\Title\\Title.bmp", 640, 480},
    {"bmp\\Ranking\\RankingBack.bmp", 640, 480},
    {"bmp\\Ranking\\Ranking.bmp", 640, 480},
    {"bmp\\Endhing.bmp", 640, 2000},
};

bool Same(const RGBQUAD& a, const RGBQUAD& b) {
    return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue;
}

bool Is(const RGBQUAD& entry, int red, int green, int blue) {
    return entry.rgbRed == red && entry.rgbGreen == green && entry.rgbBlue == blue;
}

class Bitmaps : public ::testing::Test {
protected:
    void SetUp() override { test::CopyRealData(); }
    test::ScratchDir dir_;
};

TEST_F(Bitmaps, EveryLoadFindsAn8BitPictureOfItsSizeWith256Colours) {
    for (const Load& load : LOADS) {
        SCOPED_TRACE(load.path);
        Picture picture;
        ASSERT_TRUE(LoadPicture(load.path, &picture));
        EXPECT_EQ(picture.width, load.width);
        EXPECT_EQ(picture.height, load.height);
        EXPECT_EQ(picture.palette.size(), 256u);
    }
}

TEST_F(Bitmaps, AllShareOnePaletteWithItsFixedEntries) {
    Picture first;
    ASSERT_TRUE(LoadPicture(LOADS[0].path, &first));
    ASSERT_EQ(first.palette.size(), 256u);
    for (const Load& load : LOADS) {
        Picture picture;
        ASSERT_TRUE(LoadPicture(load.path, &picture)) << load.path;
        ASSERT_EQ(picture.palette.size(), 256u) << load.path;
        for (int i = 0; i < 256; ++i) {
            EXPECT_TRUE(Same(picture.palette[i], first.palette[i]))
                << load.path << " differs from " << LOADS[0].path << " at entry " << i;
        }
    }

    const std::vector<RGBQUAD>& palette = first.palette;
    EXPECT_TRUE(Is(palette[0], 0, 0, 0)) << "entry 0 is the darkness";
    EXPECT_TRUE(Is(palette[KEY], 255, 0, 255)) << "entry 38 is the transparent key";
    bool white = false;
    for (int i = 0; i < 256; ++i) {
        // The key brush 0xFF00FF resolves to the first exact match: it must be entry 38,
        // and neither background may be mistaken for it.
        if (i != KEY) {
            EXPECT_FALSE(Is(palette[i], 255, 0, 255)) << "second magenta at " << i;
        }
        white = white || Is(palette[i], 255, 255, 255);
    }
    EXPECT_TRUE(white) << "the frame-rate text needs pure white";
}

// Full-screen pictures hide everything behind them: the opening and title are copied
// keyed, where a key pixel would be a hole; the ranking background and the ending are
// copied without a key, where it would show as magenta.
TEST_F(Bitmaps, FullScreenPicturesHaveNoKeyPixels) {
    for (const char* path : {"bmp\\OP.bmp", "bmp\\Title\\Title.bmp",
                             "bmp\\Ranking\\RankingBack.bmp", "bmp\\Endhing.bmp"}) {
        Picture picture;
        ASSERT_TRUE(LoadPicture(path, &picture)) << path;
        const RECT whole{0, 0, picture.width, picture.height};
        EXPECT_EQ(datatest::PicturePixels(picture, whole), picture.width * picture.height)
            << path;
    }
}

}  // namespace
