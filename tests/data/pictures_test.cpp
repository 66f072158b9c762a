// Every picture the game loads is there, of its size, with the one shared palette; every
// cell the scenes copy holds art, kept inside the cell where the copy is keyed and free of
// the key where it is not (there the key would show).
#include <algorithm>

#include "game/movement.h"
#include "gfx/digits.h"
#include "tests/data/pictures.h"

namespace {

using namespace datatest;
using Pictures = ShippedData;

// Every load the scenes make, the second spelling of the character sheet too. Opaque ones
// cover the screen: the opening and title go keyed, where a key pixel would be a hole, the
// ranking background and ending unkeyed, where it would show as the key colour.
constexpr struct {
    const char* path;  // as the game writes it
    int width, height;
    bool opaque;
} LOADS[] = {
    {"bmp\\Map.bmp", 640, 480, false},          {"bmp\\Char\\My_char.bmp", 640, 480, false},
    {"bmp\\Char\\My_Char.bmp", 640, 480, false}, {"bmp\\Char\\Enem.bmp", 960, 2000, false},
    {"bmp\\OP.bmp", 640, 480, true},            {"bmp\\ets.bmp", 640, 480, false},
    {"bmp\\Title\\Title.bmp", 640, 480, true},  {"bmp\\Ranking\\RankingBack.bmp", 640, 480, true},
    {"bmp\\Ranking\\Ranking.bmp", 640, 480, false}, {"bmp\\Endhing.bmp", 640, 2000, true},
};

// Map overview: ordinary cell, code-99 cell, enemy dot, hero dot.
const std::vector<RECT> OVERVIEW = {
    {183, 260, 187, 264}, {187, 260, 191, 264}, {195, 260, 199, 264}, {203, 260, 207, 264}};

int Rgb(const RGBQUAD& e) { return e.rgbRed << 16 | e.rgbGreen << 8 | e.rgbBlue; }

RECT Cell64(int column, int row) {
    return {column * 64, row * 64, (column + 1) * 64, (row + 1) * 64};
}

// Frames of one cycle in one direction: each holds art that keeps a one-pixel key margin
// (so a keyed copy shows it whole) and differs from the frame before it, or nothing moves.
void ExpectCycle(const Picture& sheet, const std::vector<RECT>& frames) {
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const RECT cell = frames[i];
        SCOPED_TRACE("frame " + Describe(cell));
        EXPECT_GT(Art(sheet, cell), 0);
        EXPECT_EQ(ArtAround(sheet, {cell.left + 1, cell.top + 1, cell.right - 1, cell.bottom - 1}),
                  0);
        if (i > 0) {
            EXPECT_FALSE(SameCells(sheet, cell, frames[i - 1]));
        }
    }
}

TEST_F(Pictures, EveryLoadFindsItsSizeAndTheOneSharedPalette) {
    const Picture first = LoadPicture(LOADS[0].path);
    ASSERT_EQ(first.palette.size(), 256u);
    for (const auto& load : LOADS) {
        SCOPED_TRACE(load.path);
        const Picture picture = LoadPicture(load.path);
        ASSERT_EQ(picture.palette.size(), 256u);
        EXPECT_EQ(picture.width, load.width);
        EXPECT_EQ(picture.height, load.height);
        for (int i = 0; i < 256; ++i) {
            EXPECT_EQ(Rgb(picture.palette[i]), Rgb(first.palette[i])) << "entry " << i;
        }
        const int area = picture.width * picture.height;
        if (load.opaque) {
            EXPECT_EQ(Art(picture, {0, 0, picture.width, picture.height}), area);
        }
    }
    // The ending's last screen stands while it leaves at the top, and the rows below it are
    // not redrawn then: it is plain in the colour the ending blanks the screen to.
    const Picture ending = LoadPicture("bmp\\Endhing.bmp");
    ASSERT_EQ(ending.height, 2000);
    for (int y = 2000 - 480; y < 2000; ++y) {
        for (int x = 0; x < 640; ++x) ASSERT_EQ(ending.At(x, y), 0) << x << "," << y;
    }
    EXPECT_EQ(Rgb(first.palette[0]), 0) << "entry 0 is the darkness";
    // The break-up copies key pixels, so the key must read as dark debris; the darkness
    // disc's brush, 0xFF00FF, resolves to the nearest entry, which must be the key.
    const RGBQUAD key = first.palette[KEY];
    EXPECT_LE(299 * key.rgbRed + 587 * key.rgbGreen + 114 * key.rgbBlue, 50 * 1000) << Rgb(key);
    auto toMagenta = [](const RGBQUAD& e) {
        return (255 - e.rgbRed) * (255 - e.rgbRed) + e.rgbGreen * e.rgbGreen +
               (255 - e.rgbBlue) * (255 - e.rgbBlue);
    };
    for (int i = 0; i < 256; ++i) {
        if (i != KEY) {
            EXPECT_GT(toMagenta(first.palette[i]), toMagenta(key)) << "entry " << i;
        }
    }
    EXPECT_TRUE(std::any_of(first.palette.begin(), first.palette.end(),
                            [](const RGBQUAD& e) { return Rgb(e) == 0xFFFFFF; }))
        << "the frame-rate text needs pure white";
}

// Copied without a key, or keyed over the play background (tiles), where a key pixel would
// be a hole: every pixel is art. Glyphs and overview cells must also be told apart.
TEST_F(Pictures, OpaqueCellsAreAllArt) {
    std::vector<RECT> tiles, rankingColumns;
    for (int code = 0; code < 70; ++code) tiles.push_back(Cell64(code % 10, code / 10));
    // The ranking numbers are written into the sliding panel, never over a hole in it.
    for (int left = 370; left >= 130; left -= 60) {
        rankingColumns.push_back({left, 370 - 34 * 4, left + DIGIT_WIDTH, 400});
    }
    const struct {
        const char* path;
        std::vector<RECT> cells;
        bool distinct;
    } sets[] = {{"bmp\\Map.bmp", tiles, false},
                {"bmp\\Char\\My_char.bmp", {g_digitRects.begin(), g_digitRects.end()}, true},
                {"bmp\\Char\\My_char.bmp", OVERVIEW, true},
                {"bmp\\Ranking\\Ranking.bmp", rankingColumns, false}};
    for (const auto& set : sets) {
        const Picture picture = LoadPicture(set.path);
        ASSERT_FALSE(picture.pixels.empty());
        for (std::size_t i = 0; i < set.cells.size(); ++i) {
            SCOPED_TRACE(std::string(set.path) + " cell " + Describe(set.cells[i]));
            EXPECT_EQ(Art(picture, set.cells[i]), Area(set.cells[i]));
            for (std::size_t other = 0; set.distinct && other < i; ++other) {
                EXPECT_FALSE(SameCells(picture, set.cells[i], set.cells[other])) << other;
            }
        }
    }
}

// Keyed copies: the results captions (par time, your time, score; caption 0 contains the
// hero dot by layout), the title and pause menu items, and the glyph row.
TEST_F(Pictures, KeyedCellsHoldArtThatStaysInside) {
    const std::vector<RECT> menu = {{0, 66, 100, 130},  {200, 66, 300, 130}, {300, 66, 400, 130},
                                    {0, 212, 98, 260},  {400, 70, 500, 120}, {0, 161, 230, 211},
                                    {500, 70, 600, 120}};
    const RECT glyphs{g_digitRects[0].left, g_digitRects[0].top, g_digitRects[9].right,
                      g_digitRects[9].bottom};
    const struct {
        const char* path;
        std::vector<RECT> cells;
        int fillDivisor;  // more than this share of each cell is art
        std::vector<RECT> others;
    } sets[] = {{"bmp\\Char\\My_char.bmp",
                 {{200, 260, 260, 290}, {263, 260, 325, 290}, {327, 260, 384, 290}}, 20, OVERVIEW},
                {"bmp\\ets.bmp", menu, 2, menu},
                {"bmp\\Char\\My_char.bmp", {glyphs}, 2, {}}};
    for (const auto& set : sets) {
        const Picture picture = LoadPicture(set.path);
        for (const RECT& cell : set.cells) {
            SCOPED_TRACE(std::string(set.path) + " cell " + Describe(cell));
            EXPECT_GT(Art(picture, cell), Area(cell) / set.fillDivisor);
            EXPECT_EQ(ArtAround(picture, cell, set.others), 0);
        }
    }
    // The sliding panel's edge is the strip of columns 20 to 94.
    EXPECT_GT(Art(LoadPicture("bmp\\Ranking\\Ranking.bmp"), {20, 0, 95, 480}), 75 * 480 / 2);
}

// Walk frames 0,1,2 and sword frames 3,4,5 in four rows that differ by direction.
TEST_F(Pictures, HeroWalksAndSwingsInEveryDirection) {
    const Picture sheet = LoadPicture("bmp\\Char\\My_char.bmp");
    ASSERT_FALSE(sheet.pixels.empty());
    for (int row = 0; row < 4; ++row) {
        SCOPED_TRACE("hero row " + std::to_string(row));
        ExpectCycle(sheet, {Cell64(0, row), Cell64(1, row), Cell64(2, row)});
        ExpectCycle(sheet, {Cell64(3, row), Cell64(4, row), Cell64(5, row)});
        if (row > 0) {
            EXPECT_FALSE(SameCells(sheet, Cell64(0, row), Cell64(0, row - 1)));
        }
    }
}

// Each 192x256 block wholly on the sheet is unused (all key) or a complete kind with a
// cycle in each direction; the play needs at least six kinds.
TEST_F(Pictures, EnemyPicturesAreCompleteOrEmpty) {
    const Picture sheet = LoadPicture("bmp\\Char\\Enem.bmp");
    ASSERT_EQ(sheet.height, 2000);
    int kinds = 0;
    for (std::uint8_t picture = 0; picture < 35; ++picture) {
        const int left = (picture % 5) * 192, top = (picture / 5) * 256;
        if (Art(sheet, {left, top, left + 192, top + 256}) == 0) continue;
        ++kinds;
        for (std::uint8_t direction = 0; direction < 4; ++direction) {
            SCOPED_TRACE("picture " + std::to_string(picture) + " direction " +
                         std::to_string(direction));
            std::vector<RECT> frames(3);
            for (int column = 0; column < 3; ++column) {
                SpriteRect(picture, direction, column, &frames[column]);
            }
            ExpectCycle(sheet, frames);
        }
    }
    EXPECT_GE(kinds, 6);
}

}  // namespace
