// Every picture the game loads is there, of its size, with the one shared palette whose key
// colour reads as dark and shows nowhere in what the scenes copy without it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "gfx/digits.h"
#include "platform/gdi.h"
#include "tests/support/harness.h"

namespace {

constexpr std::uint8_t KEY = 38;

struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint8_t> pixels;  // rows top to bottom
    std::vector<RGBQUAD> palette;      // as many entries as the colour table gives
};

// Through the game's own loader, the path written as the game writes it.
Picture Load(const char* gamePath) {
    Picture out;
    auto* bitmap = static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), gamePath,
                                                   IMAGE_BITMAP, 0, 0,
                                                   LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    EXPECT_NE(bitmap, nullptr) << gamePath;
    if (bitmap == nullptr) return out;
    BITMAP description{};
    GetObjectA(bitmap, sizeof description, &description);
    out.width = description.bmWidth;
    out.height = description.bmHeight;
    const auto* bits = static_cast<const std::uint8_t*>(description.bmBits);
    for (int y = 0; y < out.height; ++y) {
        const std::uint8_t* row = bits + static_cast<std::size_t>(y) * description.bmWidthBytes;
        out.pixels.insert(out.pixels.end(), row, row + out.width);
    }
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, bitmap);
    RGBQUAD table[256] = {};
    out.palette.assign(table, table + GetDIBColorTable(dc, 0, 256, table));
    DeleteDC(dc);
    DeleteObject(bitmap);
    return out;
}

// The pixels of the rectangle that lie on the picture, row by row.
std::vector<std::uint8_t> Cut(const Picture& picture, RECT r) {
    std::vector<std::uint8_t> cut;
    for (int y = std::max<int>(r.top, 0); y < std::min<int>(r.bottom, picture.height); ++y) {
        for (int x = std::max<int>(r.left, 0); x < std::min<int>(r.right, picture.width); ++x) {
            cut.push_back(picture.pixels[static_cast<std::size_t>(y) * picture.width + x]);
        }
    }
    return cut;
}

int Rgb(const RGBQUAD& e) { return e.rgbRed << 16 | e.rgbGreen << 8 | e.rgbBlue; }

// Every load the scenes make, the second spelling of the character sheet too. Opaque ones
// cover the screen: the opening and title go keyed, where a key pixel would be a hole, the
// ranking background and ending unkeyed, where it would show as the key colour.
TEST(Pictures, EveryLoadFindsItsSizeAndTheOneSharedPaletteWithADarkKey) {
    test::DataDir dir;
    const struct {
        const char* path;
        int width, height;
        bool opaque;
    } loads[] = {
        {"bmp\\Map.bmp", 640, 480, false},          {"bmp\\Char\\My_char.bmp", 640, 480, false},
        {"bmp\\Char\\My_Char.bmp", 640, 480, false}, {"bmp\\Char\\Enem.bmp", 960, 2000, false},
        {"bmp\\OP.bmp", 640, 480, true},            {"bmp\\ets.bmp", 640, 480, false},
        {"bmp\\Title\\Title.bmp", 640, 480, true},  {"bmp\\Ranking\\RankingBack.bmp", 640, 480, true},
        {"bmp\\Ranking\\Ranking.bmp", 640, 480, false}, {"bmp\\Endhing.bmp", 640, 2000, true},
    };
    const std::vector<RGBQUAD> palette = Load(loads[0].path).palette;
    for (const auto& load : loads) {
        SCOPED_TRACE(load.path);
        const Picture picture = Load(load.path);
        EXPECT_EQ(picture.width, load.width);
        EXPECT_EQ(picture.height, load.height);
        ASSERT_EQ(picture.palette.size(), 256u);
        for (int i = 0; i < 256; ++i) EXPECT_EQ(Rgb(picture.palette[i]), Rgb(palette[i])) << i;
        if (load.opaque) {
            EXPECT_EQ(std::count(picture.pixels.begin(), picture.pixels.end(), KEY), 0);
        }
    }
    // The ending's last screen stands while it leaves at the top, and the rows below it are
    // not redrawn then: it is plain in the colour the ending blanks the screen to.
    const std::vector<std::uint8_t> lastScreen = Cut(Load("bmp\\Endhing.bmp"), {0, 2000 - 480, 640, 2000});
    EXPECT_EQ(std::count(lastScreen.begin(), lastScreen.end(), 0), 640 * 480);
    EXPECT_EQ(Rgb(palette[0]), 0) << "entry 0 is the darkness";
    // The break-up copies key pixels, so the key must read as dark debris; the darkness
    // disc's brush, 0xFF00FF, resolves to the nearest entry, which must be the key.
    const RGBQUAD key = palette[KEY];
    EXPECT_LE(299 * key.rgbRed + 587 * key.rgbGreen + 114 * key.rgbBlue, 50 * 1000) << Rgb(key);
    auto toMagenta = [](const RGBQUAD& e) {
        return (255 - e.rgbRed) * (255 - e.rgbRed) + e.rgbGreen * e.rgbGreen +
               (255 - e.rgbBlue) * (255 - e.rgbBlue);
    };
    for (int i = 0; i < 256; ++i) {
        EXPECT_TRUE(i == KEY || toMagenta(palette[i]) > toMagenta(key)) << i;
    }
    EXPECT_TRUE(std::any_of(palette.begin(), palette.end(),
                            [](const RGBQUAD& e) { return Rgb(e) == 0xFFFFFF; }))
        << "the frame-rate text needs pure white";
}

// Cells copied without a key, or keyed over the play background (tiles), where a key pixel
// would show or be a hole: every pixel is art. Glyphs and overview cells are told apart.
TEST(Pictures, OpaqueCellsAreAllArt) {
    test::DataDir dir;
    std::vector<RECT> tiles, rankingColumns;
    for (int code = 0; code < 70; ++code) {
        tiles.push_back({code % 10 * 64, code / 10 * 64, code % 10 * 64 + 64, code / 10 * 64 + 64});
    }
    // The ranking numbers are written into the sliding panel, never over a hole in it.
    for (int left = 370; left >= 130; left -= 60) {
        rankingColumns.push_back({left, 370 - 34 * 4, left + DIGIT_WIDTH, 400});
    }
    // Map overview: ordinary cell, code-99 cell, enemy dot, hero dot.
    const std::vector<RECT> overview = {
        {183, 260, 187, 264}, {187, 260, 191, 264}, {195, 260, 199, 264}, {203, 260, 207, 264}};
    const struct {
        const char* path;
        std::vector<RECT> cells;
        bool distinct;
    } sets[] = {{"bmp\\Map.bmp", tiles, false},
                {"bmp\\Char\\My_char.bmp", {g_digitRects.begin(), g_digitRects.end()}, true},
                {"bmp\\Char\\My_char.bmp", overview, true},
                {"bmp\\Ranking\\Ranking.bmp", rankingColumns, false}};
    for (const auto& set : sets) {
        const Picture picture = Load(set.path);
        for (std::size_t i = 0; i < set.cells.size(); ++i) {
            const RECT cell = set.cells[i];
            SCOPED_TRACE(std::string(set.path) + " cell at " + std::to_string(cell.left) + "," +
                         std::to_string(cell.top));
            const std::vector<std::uint8_t> cut = Cut(picture, cell);
            EXPECT_EQ(std::count(cut.begin(), cut.end(), KEY), 0);
            for (std::size_t other = 0; set.distinct && other < i; ++other) {
                EXPECT_NE(cut, Cut(picture, set.cells[other])) << other;
            }
        }
    }
}

// Where the pixels other than the key lie within the rectangle: {left, top, right, bottom}
// relative to it, all zero when there are none.
RECT Drawn(const Picture& picture, RECT r) {
    RECT box = {r.right - r.left, r.bottom - r.top, 0, 0};
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            if (picture.pixels[static_cast<std::size_t>(y) * picture.width + x] == KEY) continue;
            box = {std::min<LONG>(box.left, x - r.left), std::min<LONG>(box.top, y - r.top),
                   std::max<LONG>(box.right, x - r.left + 1), std::max<LONG>(box.bottom, y - r.top + 1)};
        }
    }
    return box.right == 0 ? RECT{0, 0, 0, 0} : box;
}

// The pause items are cut from cells of different widths; drawn at their places they are
// alike, so that only the enlargement tells the selected one. And the ranking sheet's top
// and bottom edges run level from the rolled-up strip to the right-hand rod.
TEST(Pictures, PauseItemsLookAlikeAndTheRankingSheetHasNoStep) {
    test::DataDir dir;
    const struct {
        RECT source;
        int x, y;
    } items[] = {{{0, 212, 98, 260}, 270, 70},
                 {{400, 70, 500, 120}, 270, 170},
                 {{0, 161, 230, 211}, 200, 270},
                 {{500, 70, 600, 120}, 270, 370}};
    const Picture menu = Load("bmp\\ets.bmp");
    const RECT first = Drawn(menu, items[0].source);
    for (const auto& item : items) {
        const RECT box = Drawn(menu, item.source);
        SCOPED_TRACE(item.source.top);
        EXPECT_EQ(box.right - box.left, first.right - first.left);
        EXPECT_EQ(box.bottom - box.top, first.bottom - first.top);
        EXPECT_EQ(item.x + box.left, items[0].x + first.left) << "the items stand in one column";
        EXPECT_EQ(item.y + box.top - items[0].y - first.top, (&item - items) * 100) << "and 100 px apart";
    }

    // Between the rods (the left one ends at column 66, the right one starts at 594).
    const Picture sheet = Load("bmp\\Ranking\\Ranking.bmp");
    const RECT middle = Drawn(sheet, {300, 0, 301, 480});
    for (int x = 66; x < 594; ++x) {
        const RECT column = Drawn(sheet, {x, 0, x + 1, 480});
        ASSERT_EQ(column.top, middle.top) << x;
        ASSERT_EQ(column.bottom, middle.bottom) << x;
    }
}

}  // namespace
