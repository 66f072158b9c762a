#include "platform/gdi.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ddraw.h"
#include "platform/headless/headless.h"
#include "tests/platform/display_helpers.h"
#include "tests/support/harness.h"

namespace {

constexpr BYTE BACKGROUND = 250;
constexpr BYTE BLACK = 0;
constexpr BYTE WHITE = 1;
constexpr BYTE MAGENTA = 38;
constexpr BYTE GREEN = 50;  // also at 60: the first exact match wins

// The layout of a test bitmap file; the defaults make a valid 3x2 bottom-up bitmap.
struct BmpSpec {
    int width = 3;
    int height = 2;                 // negative: rows stored top-down
    int firstPixel = 1;             // pixels count up from here, rows top to bottom
    std::uint32_t headerSize = 40;  // 40 or more
    int bitsPerPixel = 8;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
    std::int64_t dataOffsetShift = 0;
};

void Put(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Colour i of every test table is (red i, green 255 - i, blue i / 2).
std::string Bmp(const BmpSpec& spec) {
    const int rows = spec.height < 0 ? -spec.height : spec.height;
    const int stride = (spec.width + 3) & ~3;
    const std::uint32_t colors =
        spec.colorsUsed == 0 ? 256 : std::min<std::uint32_t>(spec.colorsUsed, 256);
    const std::uint32_t dataOffset = 14 + spec.headerSize + colors * 4;
    std::string out = "BM";
    Put(out, dataOffset + static_cast<std::uint32_t>(stride * rows), 4);
    Put(out, 0, 4);
    Put(out, static_cast<std::uint32_t>(dataOffset + spec.dataOffsetShift), 4);
    Put(out, spec.headerSize, 4);
    Put(out, static_cast<std::uint32_t>(spec.width), 4);
    Put(out, static_cast<std::uint32_t>(spec.height), 4);
    Put(out, 1, 2);
    Put(out, static_cast<std::uint32_t>(spec.bitsPerPixel), 2);
    Put(out, spec.compression, 4);
    Put(out, static_cast<std::uint32_t>(stride * rows), 4);
    Put(out, 2835, 4);
    Put(out, 2835, 4);
    Put(out, spec.colorsUsed, 4);
    Put(out, 0, 4);
    out.append(spec.headerSize - 40, '\0');
    for (std::uint32_t i = 0; i < colors; ++i) {
        out += static_cast<char>(i / 2);
        out += static_cast<char>(255 - i);
        out += static_cast<char>(i);
        out += '\0';
    }
    for (int r = 0; r < rows; ++r) {
        const int row = spec.height > 0 ? rows - 1 - r : r;
        for (int x = 0; x < stride; ++x) {
            out +=
                x < spec.width ? static_cast<char>(spec.firstPixel + row * spec.width + x) : '\0';
        }
    }
    return out;
}

HBITMAP Load(const char* path) {
    return static_cast<HBITMAP>(
        LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
}

class GdiTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::Reset();
        DirectDrawCreate(nullptr, &dd_, nullptr);
        primary_ = platformtest::CreatePrimary(dd_);
        PALETTEENTRY entries[256];
        for (int i = 0; i < 256; ++i) {
            entries[i] = {static_cast<BYTE>(i), 100, static_cast<BYTE>(255 - i), 0};
        }
        entries[BLACK] = {0, 0, 0, 0};
        entries[WHITE] = {255, 255, 255, 0};
        entries[MAGENTA] = {255, 0, 255, 0};
        entries[GREEN] = {10, 200, 30, 0};
        entries[60] = {10, 200, 30, 0};
        SetScreenPalette(entries);
    }

    void TearDown() override {
        for (IDirectDrawSurface* surface : made_) surface->Release();
        primary_->Release();
        dd_->Release();
    }

    void SetScreenPalette(PALETTEENTRY* entries) {
        IDirectDrawPalette* palette = nullptr;
        dd_->CreatePalette(DDPCAPS_8BIT, entries, &palette, nullptr);
        primary_->SetPalette(palette);
        palette->Release();
    }

    IDirectDrawSurface* Surface(int width, int height) {
        IDirectDrawSurface* surface = platformtest::CreatePlain(dd_, width, height, BACKGROUND);
        made_.push_back(surface);
        return surface;
    }

    static BYTE At(IDirectDrawSurface* surface, int x, int y) {
        return surface->Pixels()[y * surface->Width() + x];
    }

    // The bitmap drawn onto a fresh surface of the given size at (x, y).
    IDirectDrawSurface* Drawn(HBITMAP bitmap, int width, int height, int x = 0, int y = 0,
                              int sourceX = 0, int sourceY = 0) {
        IDirectDrawSurface* surface = Surface(width, height);
        BITMAP info{};
        GetObjectA(bitmap, sizeof(info), &info);
        HDC memory = CreateCompatibleDC(nullptr);
        SelectObject(memory, bitmap);
        HDC dc = nullptr;
        surface->GetDC(&dc);
        EXPECT_TRUE(
            BitBlt(dc, x, y, info.bmWidth, info.bmHeight, memory, sourceX, sourceY, SRCCOPY));
        surface->ReleaseDC(dc);
        DeleteDC(memory);
        return surface;
    }

    // Runs a drawing call on a device context of the surface.
    template <typename Draw>
    void OnDC(IDirectDrawSurface* surface, Draw draw) {
        HDC dc = nullptr;
        ASSERT_EQ(surface->GetDC(&dc), DD_OK);
        draw(dc);
        surface->ReleaseDC(dc);
    }

    test::ScratchDir scratch_;
    IDirectDraw* dd_ = nullptr;
    IDirectDrawSurface* primary_ = nullptr;

private:
    std::vector<IDirectDrawSurface*> made_;
};

TEST_F(GdiTest, LoadsBottomUpAndTopDownRowsAlike) {
    BmpSpec topDown;
    topDown.height = -2;
    test::WriteFile("up.bmp", Bmp(BmpSpec{}));
    test::WriteFile("down.bmp", Bmp(topDown));
    for (const char* path : {"up.bmp", "down.bmp"}) {
        HBITMAP bitmap = Load(path);
        ASSERT_NE(bitmap, nullptr) << path;
        BITMAP info{};
        EXPECT_GT(GetObjectA(bitmap, sizeof(info), &info), 0);
        EXPECT_EQ(info.bmWidth, 3);
        EXPECT_EQ(info.bmHeight, 2);
        IDirectDrawSurface* surface = Drawn(bitmap, 4, 3);
        const std::vector<BYTE> expected = {1,          2,          3,          BACKGROUND,
                                            4,          5,          6,          BACKGROUND,
                                            BACKGROUND, BACKGROUND, BACKGROUND, BACKGROUND};
        EXPECT_EQ(std::vector<BYTE>(surface->Pixels(), surface->Pixels() + 12), expected) << path;
        EXPECT_TRUE(DeleteObject(bitmap));
    }
}

TEST_F(GdiTest, ColourTableComesInFileOrder) {
    BmpSpec v5;
    v5.headerSize = 124;
    v5.colorsUsed = 16;
    test::WriteFile("v5.bmp", Bmp(v5));
    HBITMAP bitmap = Load("v5.bmp");
    ASSERT_NE(bitmap, nullptr);
    HDC memory = CreateCompatibleDC(nullptr);
    SelectObject(memory, bitmap);
    RGBQUAD colors[256] = {};
    ASSERT_EQ(GetDIBColorTable(memory, 0, 256, colors), 16u);
    EXPECT_EQ(colors[7].rgbRed, 7);
    EXPECT_EQ(colors[7].rgbGreen, 248);
    EXPECT_EQ(colors[7].rgbBlue, 3);
    EXPECT_EQ(colors[16].rgbGreen, 0);
    EXPECT_EQ(GetDIBColorTable(memory, 10, 256, colors), 6u);
    EXPECT_EQ(colors[0].rgbRed, 10);
    // Still selected: the bitmap cannot go yet.
    EXPECT_FALSE(DeleteObject(bitmap));
    DeleteDC(memory);
    EXPECT_TRUE(DeleteObject(bitmap));
}

TEST_F(GdiTest, AnythingUnreadableYieldsNoBitmap) {
    const std::string valid = Bmp(BmpSpec{});
    auto with = [](auto change) {
        BmpSpec spec;
        change(spec);
        return Bmp(spec);
    };
    // A 32-bit field of a file changed.
    auto patched = [](std::string out, std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
        return out;
    };
    const std::string wide = patched(valid, 18, 65536);
    // Sizes the loader accepts, but whose pixels the file does not hold.
    const std::string bigAndShort = patched(patched(valid, 18, 20000), 22, 20000);
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"garbage", "this is not a picture at all, but it is long enough to hold the headers"},
        {"truncated header", valid.substr(0, 30)},
        {"truncated pixels", valid.substr(0, valid.size() - 1)},
        {"truncated colour table", valid.substr(0, 14 + 40 + 100)},
        {"wrong magic", "MB" + valid.substr(2)},
        {"run-length compressed", with([](BmpSpec& s) { s.compression = 1; })},
        {"24 bits a pixel", with([](BmpSpec& s) { s.bitsPerPixel = 24; })},
        {"core header", patched(valid, 14, 12)},
        {"header larger than the file", patched(valid, 14, 0x7FFFFFF0)},
        {"too many colours", with([](BmpSpec& s) { s.colorsUsed = 300; })},
        {"zero width", with([](BmpSpec& s) { s.width = 0; })},
        {"zero height", with([](BmpSpec& s) { s.height = 0; })},
        {"absurd width", wide},
        {"absurd height", patched(valid, 22, 0x80000000u)},
        {"pixels cut short", bigAndShort},
        {"data offset past the end", with([](BmpSpec& s) { s.dataOffsetShift = 1000; })},
        {"data offset inside the headers", with([](BmpSpec& s) { s.dataOffsetShift = -1000; })},
        {"data offset wrapping", with([](BmpSpec& s) { s.dataOffsetShift = -100000; })},
    };
    for (const auto& [name, contents] : cases) {
        test::WriteFile("bad.bmp", contents);
        EXPECT_EQ(Load("bad.bmp"), nullptr) << name;
    }
    EXPECT_EQ(Load("missing.bmp"), nullptr);
    std::filesystem::create_directory("folder.bmp");
    EXPECT_EQ(Load("folder.bmp"), nullptr);
    test::WriteFile("good.bmp", valid);
    HBITMAP good = Load("good.bmp");
    EXPECT_NE(good, nullptr);
    DeleteObject(good);
}

TEST_F(GdiTest, LoadFindsTheFileWhateverTheCase) {
    test::WriteFile("bmp/Char/My_Char.bmp", Bmp(BmpSpec{}));
    HBITMAP bitmap = Load("bmp\\CHAR\\my_char.BMP");
    ASSERT_NE(bitmap, nullptr);
    DeleteObject(bitmap);
}

TEST_F(GdiTest, BitBltIsCutToBothDeviceContexts) {
    BmpSpec spec;
    spec.width = 4;
    spec.height = 4;
    spec.firstPixel = 100;
    test::WriteFile("b.bmp", Bmp(spec));
    HBITMAP bitmap = Load("b.bmp");
    ASSERT_NE(bitmap, nullptr);

    // Past the destination's right and bottom edges: only the top-left 2x2 lands.
    IDirectDrawSurface* corner = Drawn(bitmap, 6, 6, 4, 4);
    EXPECT_EQ(At(corner, 4, 4), 100);
    EXPECT_EQ(At(corner, 5, 5), 105);
    EXPECT_EQ(At(corner, 3, 3), BACKGROUND);

    // Before the destination's left edge, and reading from outside the source.
    IDirectDrawSurface* shifted = Drawn(bitmap, 6, 6, -1, 0, 0, -2);
    EXPECT_EQ(At(shifted, 0, 2), 101);
    EXPECT_EQ(At(shifted, 2, 3), 107);
    EXPECT_EQ(At(shifted, 0, 1), BACKGROUND);
    EXPECT_EQ(At(shifted, 3, 2), BACKGROUND);
    DeleteObject(bitmap);
}

// Pixels the ellipse painted, and a check that each has the colour its place asks for.
void ExpectEllipse(IDirectDrawSurface* surface, RECT box, BYTE fill) {
    const int w = surface->Width();
    const int h = surface->Height();
    auto painted = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < w && y < h && surface->Pixels()[y * w + x] != BACKGROUND;
    };
    bool touches[4] = {};
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (!painted(x, y)) continue;
            ASSERT_TRUE(x >= box.left && x < box.right && y >= box.top && y < box.bottom)
                << x << "," << y;
            touches[0] |= x == box.left;
            touches[1] |= x == box.right - 1;
            touches[2] |= y == box.top;
            touches[3] |= y == box.bottom - 1;
            const bool edge = !painted(x - 1, y) || !painted(x + 1, y) || !painted(x, y - 1) ||
                              !painted(x, y + 1);
            ASSERT_EQ(surface->Pixels()[y * w + x], edge ? BLACK : fill) << x << "," << y;
        }
    }
    for (bool t : touches) EXPECT_TRUE(t);
}

TEST_F(GdiTest, EllipseStaysInsideItsBoxWithABlackOutline) {
    IDirectDrawSurface* surface = Surface(40, 30);
    HBRUSH brush = CreateSolidBrush(RGB(255, 0, 255));
    OnDC(surface, [&](HDC dc) {
        EXPECT_EQ(SelectObject(dc, brush), GetStockObject(WHITE_BRUSH));
        EXPECT_TRUE(Ellipse(dc, 5, 5, 25, 17));
    });
    ExpectEllipse(surface, RECT{5, 5, 25, 17}, MAGENTA);
    EXPECT_EQ(At(surface, 15, 11), MAGENTA);
    // Symmetric about the box's centre.
    for (int y = 5; y < 17; ++y) {
        for (int x = 5; x < 25; ++x) ASSERT_EQ(At(surface, x, y), At(surface, 29 - x, 21 - y));
    }
    EXPECT_TRUE(DeleteObject(brush));

    IDirectDrawSurface* dot = Surface(4, 4);
    OnDC(dot, [](HDC dc) { Ellipse(dc, 1, 1, 2, 2); });
    EXPECT_EQ(At(dot, 1, 1), BLACK);
    EXPECT_EQ(std::count(dot->Pixels(), dot->Pixels() + 16, BACKGROUND), 15);
}

TEST_F(GdiTest, EllipseIsCutAtTheSurfaceEdges) {
    IDirectDrawSurface* surface = Surface(20, 20);
    OnDC(surface, [](HDC dc) {
        SelectObject(dc, GetStockObject(WHITE_BRUSH));
        Ellipse(dc, -10, -10, 10, 10);
    });
    EXPECT_EQ(At(surface, 0, 0), WHITE);
    EXPECT_EQ(At(surface, 9, 0), BLACK);
    EXPECT_EQ(At(surface, 10, 0), BACKGROUND);
    EXPECT_EQ(At(surface, 19, 19), BACKGROUND);

    // A disc far larger than the surface covers it with the inside colour only.
    IDirectDrawSurface* covered = Surface(20, 20);
    OnDC(covered, [](HDC dc) { Ellipse(dc, -100000, -100000, 100000, 100000); });
    EXPECT_EQ(std::count(covered->Pixels(), covered->Pixels() + 400, WHITE), 400);
}

TEST_F(GdiTest, BrushColourResolvesAgainstTheScreenPaletteWhenUsed) {
    HBRUSH green = CreateSolidBrush(RGB(10, 200, 30));
    HBRUSH nearGreen = CreateSolidBrush(RGB(14, 195, 33));
    IDirectDrawSurface* exact = Surface(9, 9);
    OnDC(exact, [&](HDC dc) {
        SelectObject(dc, green);
        Ellipse(dc, 0, 0, 9, 9);
    });
    EXPECT_EQ(At(exact, 4, 4), GREEN);
    IDirectDrawSurface* near = Surface(9, 9);
    OnDC(near, [&](HDC dc) {
        SelectObject(dc, nearGreen);
        Ellipse(dc, 0, 0, 9, 9);
    });
    EXPECT_EQ(At(near, 4, 4), GREEN);

    // A new screen palette changes what the same brush paints.
    PALETTEENTRY entries[256] = {};
    entries[77] = {10, 200, 30, 0};
    SetScreenPalette(entries);
    IDirectDrawSurface* later = Surface(9, 9);
    OnDC(later, [&](HDC dc) {
        SelectObject(dc, green);
        Ellipse(dc, 0, 0, 9, 9);
    });
    EXPECT_EQ(At(later, 4, 4), 77);
    DeleteObject(green);
    DeleteObject(nearGreen);
}

TEST_F(GdiTest, TextIsBlackOnAWhiteBoxAndStaysInIt) {
    IDirectDrawSurface* surface = Surface(60, 30);
    OnDC(surface, [](HDC dc) { EXPECT_TRUE(TextOutA(dc, 5, 3, "Hg", 2)); });
    int ink = 0;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 60; ++x) {
            const bool inBox = x >= 5 && x < 5 + 2 * 7 && y >= 3 && y < 3 + 16;
            const BYTE p = At(surface, x, y);
            if (!inBox) {
                ASSERT_EQ(p, BACKGROUND) << x << "," << y;
                continue;
            }
            ASSERT_TRUE(p == BLACK || p == WHITE) << x << "," << y;
            ink += p == BLACK;
        }
    }
    EXPECT_GT(ink, 20);
    // The descender of g reaches the lower part of the box.
    bool lowInk = false;
    for (int x = 12; x < 19; ++x) lowInk |= At(surface, x, 17) == BLACK;
    EXPECT_TRUE(lowInk);
}

TEST_F(GdiTest, EveryPrintableCharacterHasItsOwnGlyph) {
    std::vector<std::vector<BYTE>> seen;
    for (char c = '!'; c <= '~'; ++c) {
        IDirectDrawSurface* surface = Surface(7, 16);
        OnDC(surface, [&](HDC dc) { TextOutA(dc, 0, 0, &c, 1); });
        std::vector<BYTE> cell(surface->Pixels(), surface->Pixels() + 7 * 16);
        EXPECT_GT(std::count(cell.begin(), cell.end(), BLACK), 0) << c;
        for (const auto& other : seen) EXPECT_NE(cell, other) << c;
        seen.push_back(cell);
    }
}

TEST_F(GdiTest, TextPastTheEdgesIsCut) {
    IDirectDrawSurface* surface = Surface(20, 10);
    OnDC(surface, [](HDC dc) {
        EXPECT_TRUE(TextOutA(dc, -3, 4, "fps 50", 6));
        EXPECT_FALSE(TextOutA(dc, 0, 0, "x", -1));
    });
    EXPECT_EQ(At(surface, 0, 3), BACKGROUND);
    EXPECT_NE(At(surface, 19, 9), BACKGROUND);
}

}  // namespace
