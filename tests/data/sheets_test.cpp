// Every cell the scenes copy from a sheet holds art, and where the copy is keyed the art
// stays inside its cell; cells copied without a key hold no key pixel, which would show
// as magenta.
#include <gtest/gtest.h>

#include "game/movement.h"
#include "gfx/digits.h"
#include "tests/data/pictures.h"
#include "tests/support/harness.h"

namespace {

using datatest::ArtAround;
using datatest::Describe;
using datatest::MarginIsKey;
using datatest::Picture;
using datatest::PicturePixels;
using datatest::SameCells;

constexpr int ENEMY_PICTURES = 35;  // the 192x256 blocks wholly on the 960x2000 sheet
constexpr int TILE_CODES = 70;      // whole cells of the 640x480 tile sheet

// Map overview: ordinary cell, code-99 cell, enemy dot, hero dot.
constexpr RECT OVERVIEW_CELLS[] = {
    {183, 260, 187, 264}, {187, 260, 191, 264}, {195, 260, 199, 264}, {203, 260, 207, 264}};
// Results captions: par time, your time, score.
constexpr RECT CAPTIONS[] = {{200, 260, 260, 290}, {263, 260, 325, 290}, {327, 260, 384, 290}};
// Title items start, ranking, quit; pause items resume, retry, title, quit.
constexpr RECT MENU_ITEMS[] = {{0, 66, 100, 130},  {200, 66, 300, 130}, {300, 66, 400, 130},
                               {0, 212, 98, 260},  {400, 70, 500, 120}, {0, 161, 230, 211},
                               {500, 70, 600, 120}};

RECT Cell64(int left, int top) { return {left, top, left + 64, top + 64}; }

RECT HeroCell(int row, int column) { return Cell64(column * 64, row * 64); }

RECT EnemyCell(int picture, int direction, int column) {
    RECT rect;
    SpriteRect(static_cast<std::uint8_t>(picture), static_cast<std::uint8_t>(direction), column,
               &rect);
    return rect;
}

int Area(RECT rect) { return (rect.right - rect.left) * (rect.bottom - rect.top); }

class Sheets : public ::testing::Test {
protected:
    void SetUp() override { test::CopyRealData(); }

    Picture Load(const char* path) {
        Picture picture;
        EXPECT_TRUE(datatest::LoadPicture(path, &picture)) << path;
        return picture;
    }

    test::ScratchDir dir_;
};

// Tiles go keyed over the play background: a key pixel would be a hole in the floor.
TEST_F(Sheets, EveryTileCodeHasASolidCell) {
    const Picture tiles = Load("bmp\\Map.bmp");
    ASSERT_EQ(tiles.width, 640);
    for (int code = 0; code < TILE_CODES; ++code) {
        const RECT cell = Cell64((code % 10) * 64, (code / 10) * 64);
        EXPECT_EQ(PicturePixels(tiles, cell), Area(cell)) << "tile code " << code;
    }
}

TEST_F(Sheets, HeroCellsHoldWholeDistinctFramesInEveryDirection) {
    const Picture sheet = Load("bmp\\Char\\My_char.bmp");
    ASSERT_EQ(sheet.width, 640);
    std::vector<std::string> cut;  // cells whose art reaches the edge
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 6; ++column) {
            const RECT cell = HeroCell(row, column);
            SCOPED_TRACE("hero row " + std::to_string(row) + " column " + std::to_string(column));
            EXPECT_GT(PicturePixels(sheet, cell), 0);
            if (!MarginIsKey(sheet, cell)) cut.push_back(Describe(cell));
            // Walk 0,1,2,1 and sword 3,4,5: neighbouring frames must differ to move.
            if (column % 3 != 0) {
                EXPECT_FALSE(SameCells(sheet, cell, HeroCell(row, column - 1)));
            }
        }
        if (row > 0) {
            EXPECT_FALSE(SameCells(sheet, HeroCell(row, 0), HeroCell(row - 1, 0)));
        }
    }
    EXPECT_EQ(cut, std::vector<std::string>{});
}

// The timer copies glyphs without a key, the results and ranking with it.
TEST_F(Sheets, DigitGlyphsAreOpaqueDistinctAndUncut) {
    const Picture sheet = Load("bmp\\Char\\My_char.bmp");
    ASSERT_EQ(sheet.width, 640);
    for (int digit = 0; digit < 10; ++digit) {
        const RECT glyph = g_digitRects[digit];
        EXPECT_EQ(PicturePixels(sheet, glyph), Area(glyph)) << "glyph " << digit;
        for (int other = 0; other < digit; ++other) {
            EXPECT_FALSE(SameCells(sheet, glyph, g_digitRects[other]))
                << "glyphs " << other << " and " << digit;
        }
    }
    const RECT row{g_digitRects[0].left, g_digitRects[0].top, g_digitRects[9].right,
                   g_digitRects[9].bottom};
    EXPECT_EQ(ArtAround(sheet, row), std::vector<std::string>{});
}

// Copied without a key onto the overview: every pixel shows, and the four must be told
// apart on the map.
TEST_F(Sheets, OverviewCellsAreOpaqueAndDistinct) {
    const Picture sheet = Load("bmp\\Char\\My_char.bmp");
    ASSERT_EQ(sheet.width, 640);
    for (const RECT& cell : OVERVIEW_CELLS) {
        EXPECT_EQ(PicturePixels(sheet, cell), Area(cell)) << Describe(cell);
        for (const RECT* other = OVERVIEW_CELLS; other != &cell; ++other) {
            EXPECT_FALSE(SameCells(sheet, cell, *other)) << Describe(cell) << Describe(*other);
        }
    }
}

// Keyed onto the results background; the hero dot lies inside caption 0 by layout.
TEST_F(Sheets, CaptionsHoldArtThatStaysInsideThem) {
    const Picture sheet = Load("bmp\\Char\\My_char.bmp");
    ASSERT_EQ(sheet.width, 640);
    for (const RECT& caption : CAPTIONS) {
        SCOPED_TRACE("caption " + Describe(caption));
        EXPECT_GT(PicturePixels(sheet, caption), Area(caption) / 20);
        EXPECT_EQ(ArtAround(sheet, caption, {OVERVIEW_CELLS[0], OVERVIEW_CELLS[1],
                                              OVERVIEW_CELLS[2], OVERVIEW_CELLS[3]}),
                  std::vector<std::string>{});
    }
}

// A picture is either unused (all key) or complete: twelve cells of art that keep a
// margin and move between neighbouring frames. The play needs at least six kinds.
TEST_F(Sheets, EnemyPicturesAreCompleteOrEmpty) {
    const Picture sheet = Load("bmp\\Char\\Enem.bmp");
    ASSERT_EQ(sheet.width, 960);
    ASSERT_EQ(sheet.height, 2000);
    int complete = 0;
    std::vector<std::string> cut;  // cells whose art reaches the edge
    for (int picture = 0; picture < ENEMY_PICTURES; ++picture) {
        const RECT block{(picture % 5) * 192, (picture / 5) * 256, (picture % 5) * 192 + 192,
                         (picture / 5) * 256 + 256};
        if (PicturePixels(sheet, block) == 0) continue;
        ++complete;
        for (int direction = 0; direction < 4; ++direction) {
            for (int column = 0; column < 3; ++column) {
                const RECT cell = EnemyCell(picture, direction, column);
                const std::string name = "picture " + std::to_string(picture) + " direction " +
                                         std::to_string(direction) + " column " +
                                         std::to_string(column) + " " + Describe(cell);
                EXPECT_GT(PicturePixels(sheet, cell), 0) << name;
                if (!MarginIsKey(sheet, cell)) cut.push_back(name);
                if (column > 0) {
                    EXPECT_FALSE(SameCells(sheet, cell, EnemyCell(picture, direction, column - 1)))
                        << name;
                }
            }
        }
    }
    EXPECT_GE(complete, 6);
    EXPECT_EQ(cut, std::vector<std::string>{});
}

TEST_F(Sheets, MenuItemsHoldArtThatStaysInsideThem) {
    const Picture menu = Load("bmp\\ets.bmp");
    ASSERT_EQ(menu.width, 640);
    for (const RECT& item : MENU_ITEMS) {
        SCOPED_TRACE("menu item " + Describe(item));
        EXPECT_GT(PicturePixels(menu, item), Area(item) / 2);
        EXPECT_EQ(ArtAround(menu, item, {MENU_ITEMS[0], MENU_ITEMS[1], MENU_ITEMS[2],
                                          MENU_ITEMS[3], MENU_ITEMS[4], MENU_ITEMS[5],
                                          MENU_ITEMS[6]}),
                  std::vector<std::string>{});
    }
}

// The sliding panel's edge is the strip of columns 20 to 94; the five number columns are
// written into the panel and must not sit over a hole to the background.
TEST_F(Sheets, RankingPanelHasItsEdgeStripAndSolidNumberColumns) {
    const Picture ranking = Load("bmp\\Ranking\\Ranking.bmp");
    ASSERT_EQ(ranking.width, 640);
    EXPECT_GT(PicturePixels(ranking, {20, 0, 95, 480}), 75 * 480 / 2);
    for (int entry = 0; entry < 5; ++entry) {
        const int left = 370 - 60 * entry;
        const RECT column{left, 370 - 34 * 4, left + DIGIT_WIDTH, 370 + 30};
        EXPECT_EQ(PicturePixels(ranking, column), Area(column)) << "entry " << entry;
    }
}

}  // namespace
