#include "platform/gdi.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "tests/gfx/surface_fixture.h"
#include "tests/support/harness.h"

namespace {

constexpr BYTE BACKGROUND = gfxtest::UNTOUCHED;
constexpr BYTE BLACK = 0;
constexpr BYTE WHITE = 1;
constexpr BYTE GREEN = 50;  // also at 60: the first exact match wins

// An 8-bit bottom-up bitmap whose pixels count up from `first`, rows top to bottom;
// colour i is (red i, green 255 - i, blue i / 2).
std::string Bmp(int width = 3, int height = 2, int first = 1) {
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width * height));
    std::iota(pixels.begin(), pixels.end(), static_cast<std::uint8_t>(first));
    std::vector<std::uint32_t> palette(256);
    for (std::uint32_t i = 0; i < 256; ++i) palette[i] = i << 16 | (255 - i) << 8 | i / 2;
    test::WriteBmp("made.bmp", width, height, pixels, palette);
    return test::ReadFile("made.bmp");
}

// The file with the 32-bit (or 16-bit) field at `at` set to `value`.
std::string Patched(std::string file, std::size_t at, std::uint32_t value, int bytes = 4) {
    std::string field;
    for (int i = 0; i < bytes; ++i) field += static_cast<char>((value >> (8 * i)) & 0xFF);
    return file.replace(at, field.size(), field);
}

HBITMAP Load(const char* path) {
    return static_cast<HBITMAP>(
        LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
}

class GdiTest : public gfxtest::SurfaceTest {
protected:
    void SetUp() override {
        SurfaceTest::SetUp();
        PALETTEENTRY entries[256];
        for (int i = 0; i < 256; ++i) entries[i] = {BYTE(i), 100, BYTE(255 - i), 0};
        entries[BLACK] = {0, 0, 0, 0};
        entries[WHITE] = {255, 255, 255, 0};
        entries[GREEN] = entries[60] = {10, 200, 30, 0};
        SetScreenPalette(entries);
    }

    void SetScreenPalette(PALETTEENTRY* entries) {
        IDirectDrawPalette* palette = nullptr;
        g_dd->CreatePalette(DDPCAPS_8BIT, entries, &palette, nullptr);
        g_primary->SetPalette(palette);
        palette->Release();
    }

    // A fresh surface of the given size after `draw` ran on a device context of it.
    template <typename Draw>
    IDirectDrawSurface* DrawnOn(int width, int height, Draw draw) {
        IDirectDrawSurface* surface = Offscreen(width, height);
        HDC dc = nullptr;
        EXPECT_EQ(surface->GetDC(&dc), DD_OK);
        draw(dc);
        surface->ReleaseDC(dc);
        return surface;
    }

    // The bitmap, by the size it reports, copied from (sourceX, sourceY) to (x, y) of a fresh
    // surface.
    IDirectDrawSurface* Blitted(HBITMAP bitmap, int width, int height, int x = 0, int y = 0,
                                int sourceX = 0, int sourceY = 0) {
        BITMAP info{};
        EXPECT_GT(GetObjectA(bitmap, sizeof(info), &info), 0);
        HDC memory = CreateCompatibleDC(nullptr);
        SelectObject(memory, bitmap);
        IDirectDrawSurface* surface = DrawnOn(width, height, [&](HDC dc) {
            BitBlt(dc, x, y, info.bmWidth, info.bmHeight, memory, sourceX, sourceY, SRCCOPY);
        });
        DeleteDC(memory);
        return surface;
    }

    test::ScratchDir scratch_;
};

TEST_F(GdiTest, LoadsRowsInEitherOrderFromAPathOfAnyCase) {
    test::WriteFile("bmp/Up.bmp", Bmp());
    test::WriteFile("bmp/Down.bmp", Patched(Bmp(), 22, static_cast<std::uint32_t>(-2)));
    const BYTE B = BACKGROUND;
    const std::pair<const char*, std::vector<BYTE>> cases[] = {
        {"BMP\\up.BMP", {1, 2, 3, B, 4, 5, 6, B, B, B, B, B}},
        {"bmp\\DOWN.bmp", {4, 5, 6, B, 1, 2, 3, B, B, B, B, B}},
    };
    for (const auto& [path, expected] : cases) {
        SCOPED_TRACE(path);
        HBITMAP bitmap = Load(path);
        ASSERT_NE(bitmap, nullptr);
        EXPECT_EQ(PixelsOf(Blitted(bitmap, 4, 3)), expected);
        EXPECT_TRUE(DeleteObject(bitmap));
    }
}

TEST_F(GdiTest, ColourTableComesInFileOrderAfterALongerHeader) {
    std::string file = Bmp();
    file.insert(54, 84, '\0');  // a 124-byte header with 16 colours
    file = Patched(Patched(Patched(file, 14, 124), 10, 14 + 124 + 1024), 46, 16);
    test::WriteFile("v5.bmp", file);
    HBITMAP bitmap = Load("v5.bmp");
    ASSERT_NE(bitmap, nullptr);
    HDC memory = CreateCompatibleDC(nullptr);
    SelectObject(memory, bitmap);
    RGBQUAD colors[256] = {};
    EXPECT_EQ(GetDIBColorTable(memory, 0, 256, colors), 16u);
    EXPECT_EQ(colors[7].rgbRed + (colors[7].rgbGreen << 8) + (colors[7].rgbBlue << 16), 0x03F807);
    DeleteDC(memory);
    DeleteObject(bitmap);
}

TEST_F(GdiTest, AnythingUnreadableYieldsNoBitmap) {
    const std::string valid = Bmp();
    const std::uint32_t dataOffset = 14 + 40 + 1024;
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"garbage", "this is not a picture at all, but it is long enough to hold the headers"},
        {"truncated header", valid.substr(0, 30)},
        {"truncated colour table", valid.substr(0, 14 + 40 + 100)},
        {"truncated pixels", valid.substr(0, valid.size() - 1)},
        {"wrong magic", "MB" + valid.substr(2)},
        {"core header", Patched(valid, 14, 12)},
        {"header larger than the file", Patched(valid, 14, 0x7FFFFFF0)},
        {"24 bits a pixel", Patched(valid, 28, 24, 2)},
        {"run-length compressed", Patched(valid, 30, 1)},
        {"too many colours", Patched(valid, 46, 300)},
        {"zero width", Patched(valid, 18, 0)},
        {"zero height", Patched(valid, 22, 0)},
        {"absurd width", Patched(valid, 18, 65536)},
        {"absurd height", Patched(valid, 22, 0x80000000u)},
        {"pixels the file does not hold", Patched(Patched(valid, 18, 20000), 22, 20000)},
        {"data offset past the end", Patched(valid, 10, dataOffset + 1000)},
        {"data offset inside the headers", Patched(valid, 10, 78)},
        {"data offset wrapping", Patched(valid, 10, dataOffset - 100000)},
    };
    for (const auto& [name, contents] : cases) {
        test::WriteFile("bad.bmp", contents);
        EXPECT_EQ(Load("bad.bmp"), nullptr) << name;
    }
    EXPECT_EQ(Load("missing.bmp"), nullptr);
    std::filesystem::create_directory("folder.bmp");
    EXPECT_EQ(Load("folder.bmp"), nullptr);
}

TEST_F(GdiTest, BitBltIsCutToBothDeviceContexts) {
    test::WriteFile("b.bmp", Bmp(4, 4, 100));
    HBITMAP bitmap = Load("b.bmp");
    ASSERT_NE(bitmap, nullptr);
    // Past the destination's right and bottom edges: only the top-left 2x2 lands.
    IDirectDrawSurface* corner = Blitted(bitmap, 6, 6, 4, 4);
    EXPECT_EQ(std::count(corner->Pixels(), corner->Pixels() + 36, BACKGROUND), 32);
    EXPECT_EQ(At(corner, 5, 5), 105);
    // Before the destination's left edge, and reading from above the source.
    IDirectDrawSurface* shifted = Blitted(bitmap, 6, 6, -1, 0, 0, -2);
    EXPECT_EQ(std::count(shifted->Pixels(), shifted->Pixels() + 36, BACKGROUND), 30);
    EXPECT_EQ(At(shifted, 0, 2), 101);
    EXPECT_EQ(At(shifted, 2, 3), 107);
    DeleteObject(bitmap);
}

TEST_F(GdiTest, EllipseUsesTheBrushResolvedAgainstTheScreenPaletteWhenDrawn) {
    HBRUSH green = CreateSolidBrush(RGB(10, 200, 30));
    HBRUSH nearGreen = CreateSolidBrush(RGB(14, 195, 33));
    auto disc = [&](HBRUSH brush, int size, RECT box) {
        return DrawnOn(size, size, [&](HDC dc) {
            if (brush != nullptr) SelectObject(dc, brush);
            EXPECT_TRUE(Ellipse(dc, box.left, box.top, box.right, box.bottom));
        });
    };
    EXPECT_EQ(At(disc(green, 9, {0, 0, 9, 9}), 4, 4), GREEN);
    EXPECT_EQ(At(disc(nearGreen, 9, {0, 0, 9, 9}), 4, 4), GREEN);
    IDirectDrawSurface* dot = disc(nullptr, 4, {1, 1, 2, 2});
    EXPECT_EQ(std::count(dot->Pixels(), dot->Pixels() + 16, BACKGROUND), 15);
    EXPECT_EQ(At(dot, 1, 1), BLACK);
    // Far past the surface, where squared distances overflow 32 bits: white brush inside only.
    EXPECT_EQ(PixelsOf(disc(nullptr, 20, {-100000, -100000, 100000, 100000})),
              std::vector<BYTE>(400, WHITE));

    PALETTEENTRY entries[256] = {};
    entries[77] = {10, 200, 30, 0};
    SetScreenPalette(entries);
    EXPECT_EQ(At(disc(green, 9, {0, 0, 9, 9}), 4, 4), 77);
    DeleteObject(green);
    DeleteObject(nearGreen);
}

TEST_F(GdiTest, TextIsBlackOnAWhiteBoxCutAtTheEdgesWithAGlyphForEveryCharacter) {
    IDirectDrawSurface* s =
        DrawnOn(30, 20, [](HDC dc) { EXPECT_TRUE(TextOutA(dc, 5, 3, "Hg", 2)); });
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 30; ++x) {
            const bool inBox = x >= 5 && x < 5 + 2 * 7 && y >= 3 && y < 3 + 16;
            const BYTE p = At(s, x, y);
            ASSERT_TRUE(inBox ? p == BLACK || p == WHITE : p == BACKGROUND) << x << "," << y;
        }
    }
    // The descender of g reaches the lower part of the box.
    EXPECT_NE(std::count(&At(s, 12, 17), &At(s, 19, 17), BLACK), 0);

    IDirectDrawSurface* edge = DrawnOn(20, 10, [](HDC dc) {
        EXPECT_TRUE(TextOutA(dc, -3, 4, "fps 50", 6));
        EXPECT_FALSE(TextOutA(dc, 0, 0, "x", -1));
    });
    EXPECT_EQ(At(edge, 0, 3), BACKGROUND);
    EXPECT_NE(At(edge, 19, 9), BACKGROUND);

    std::vector<std::vector<BYTE>> seen;
    for (char c = '!'; c <= '~'; ++c) {
        const std::vector<BYTE> cell =
            PixelsOf(DrawnOn(7, 16, [&](HDC dc) { TextOutA(dc, 0, 0, &c, 1); }));
        EXPECT_NE(std::count(cell.begin(), cell.end(), BLACK), 0) << c;
        EXPECT_EQ(std::find(seen.begin(), seen.end(), cell), seen.end()) << c;
        seen.push_back(cell);
    }
}

}  // namespace
