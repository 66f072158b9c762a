#include "platform/gdi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/gfx/surface_fixture.h"
#include "tests/support/harness.h"

namespace {

constexpr BYTE BACKGROUND = gfxtest::UNTOUCHED;
constexpr BYTE BLACK = 0;
constexpr BYTE WHITE = 1;
constexpr BYTE GREEN = 50;

// A 3x2 8-bit bitmap; colour i is (red i, green 255 - i, blue i / 2).
std::string Bmp() {
    std::vector<std::uint32_t> palette(256);
    for (std::uint32_t i = 0; i < 256; ++i) palette[i] = i << 16 | (255 - i) << 8 | i / 2;
    test::WriteBmp("made.bmp", 3, 2, {1, 2, 3, 4, 5, 6}, palette);
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
        PALETTEENTRY entries[256] = {};  // black, the first one being BLACK
        entries[WHITE] = {255, 255, 255, 0};
        entries[GREEN] = {10, 200, 30, 0};
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
        IDirectDrawSurface* surface = MakeSurface(width, height);
        HDC dc = nullptr;
        EXPECT_EQ(surface->GetDC(&dc), DD_OK);
        draw(dc);
        surface->ReleaseDC(dc);
        return surface;
    }

    test::ScratchDir scratch_;
};

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

TEST_F(GdiTest, EllipseUsesTheBrushResolvedAgainstTheScreenPaletteWhenDrawn) {
    HBRUSH green = CreateSolidBrush(RGB(10, 200, 30));
    auto disc = [&](HBRUSH brush, int size, RECT box) {
        return DrawnOn(size, size, [&](HDC dc) {
            if (brush != nullptr) SelectObject(dc, brush);
            EXPECT_TRUE(Ellipse(dc, box.left, box.top, box.right, box.bottom));
        });
    };
    EXPECT_EQ(At(disc(green, 9, {0, 0, 9, 9}), 4, 4), GREEN);
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
}

// The fps text is drawn in every frame of the whole game; near the edges it is cut.
// A copy within one picture reads each row before it is overwritten.
TEST_F(GdiTest, ACopyDownItsOwnPictureMovesItWhole) {
    IDirectDrawSurface* surface = MakeSurface(8, 8);
    Paint(surface, Pattern);
    HDC dc = nullptr;
    ASSERT_EQ(surface->GetDC(&dc), DD_OK);
    EXPECT_TRUE(BitBlt(dc, 0, 2, 8, 6, dc, 0, 0, SRCCOPY));
    surface->ReleaseDC(dc);
    EXPECT_EQ(Mismatches(surface, [](int x, int y) { return Pattern(x, y < 2 ? y : y - 2); }), 0);
}

TEST_F(GdiTest, TextIsCutAtTheEdges) {
    IDirectDrawSurface* edge = DrawnOn(20, 10, [](HDC dc) {
        EXPECT_TRUE(TextOutA(dc, -3, 4, "fps 50", 6));
        EXPECT_FALSE(TextOutA(dc, 0, 0, "x", -1));
    });
    EXPECT_EQ(At(edge, 0, 3), BACKGROUND);
    EXPECT_NE(At(edge, 19, 9), BACKGROUND);
}

}  // namespace
