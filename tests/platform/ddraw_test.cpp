#include "platform/ddraw.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/headless/headless.h"
#include "tests/platform/display_helpers.h"

namespace {

constexpr BYTE BACKGROUND = 250;
constexpr BYTE KEY = 38;

class DDrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::Reset();
        DirectDrawCreate(nullptr, &dd_, nullptr);
    }

    void TearDown() override {
        for (IDirectDrawSurface* surface : made_) surface->Release();
        dd_->Release();
    }

    IDirectDrawSurface* Offscreen(int width, int height, BYTE fill = BACKGROUND) {
        IDirectDrawSurface* surface = platformtest::CreatePlain(dd_, width, height, fill);
        EXPECT_NE(surface, nullptr);
        made_.push_back(surface);
        return surface;
    }

    IDirectDrawSurface* Primary() {
        IDirectDrawSurface* primary = platformtest::CreatePrimary(dd_);
        EXPECT_NE(primary, nullptr);
        made_.push_back(primary);
        return primary;
    }

    static void Fill(IDirectDrawSurface* surface, BYTE value) {
        std::fill_n(surface->Pixels(), surface->Width() * surface->Height(), value);
    }

    static BYTE& At(IDirectDrawSurface* surface, int x, int y) {
        return surface->Pixels()[y * surface->Width() + x];
    }

    // Every pixel different within a row and from row to row; never the key.
    static IDirectDrawSurface* Numbered(IDirectDrawSurface* surface) {
        for (int y = 0; y < surface->Height(); ++y) {
            for (int x = 0; x < surface->Width(); ++x) {
                At(surface, x, y) = static_cast<BYTE>(100 + 10 * y + x);
            }
        }
        return surface;
    }

    static std::vector<BYTE> Snapshot(IDirectDrawSurface* surface) {
        return {surface->Pixels(), surface->Pixels() + surface->Width() * surface->Height()};
    }

    static void SetKey(IDirectDrawSurface* surface, DWORD low, DWORD high) {
        DDCOLORKEY key{low, high};
        surface->SetColorKey(DDCKEY_SRCBLT, &key);
    }

    IDirectDraw* dd_ = nullptr;

private:
    std::vector<IDirectDrawSurface*> made_;
};

TEST_F(DDrawTest, RefusesRectanglesThatAreEmptyInvertedOrOutside) {
    IDirectDrawSurface* source = Numbered(Offscreen(8, 8));
    IDirectDrawSurface* dest = Offscreen(16, 16);
    const std::vector<BYTE> before = Snapshot(dest);
    DDBLTFX fx{sizeof(DDBLTFX), 7};
    struct Case {
        const char* name;
        RECT rect;
    };
    const Case badSource[] = {{"empty", {2, 2, 2, 5}},         {"inverted", {5, 2, 2, 5}},
                              {"left outside", {-1, 0, 4, 4}}, {"right outside", {4, 0, 9, 4}},
                              {"below", {0, 5, 4, 9}},         {"above", {0, -2, 4, 4}}};
    for (const Case& c : badSource) {
        RECT rect = c.rect;
        EXPECT_NE(dest->BltFast(0, 0, source, &rect, 0), DD_OK) << c.name;
        RECT whole{0, 0, 8, 8};
        EXPECT_NE(dest->Blt(&whole, source, &rect, DDBLT_KEYSRC | DDBLT_WAIT, nullptr), DD_OK)
            << c.name;
    }
    const Case badDest[] = {{"empty", {3, 3, 3, 9}},         {"inverted", {3, 9, 9, 3}},
                            {"left outside", {-1, 0, 8, 8}}, {"right outside", {9, 0, 17, 8}},
                            {"below", {0, 9, 8, 17}},        {"above", {0, -1, 8, 7}}};
    for (const Case& c : badDest) {
        RECT rect = c.rect;
        EXPECT_NE(dest->Blt(&rect, source, nullptr, DDBLT_WAIT, nullptr), DD_OK) << c.name;
        EXPECT_NE(dest->Blt(&rect, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK)
            << c.name;
    }
    // BltFast's destination is the source's size at (x, y): one pixel too far is refused whole.
    EXPECT_NE(dest->BltFast(9, 0, source, nullptr, 0), DD_OK);
    EXPECT_NE(dest->BltFast(0, 9, source, nullptr, 0), DD_OK);
    EXPECT_NE(dest->BltFast(0xFFFFFFFFu, 0, source, nullptr, 0), DD_OK);
    EXPECT_EQ(Snapshot(dest), before);

    EXPECT_EQ(dest->BltFast(8, 8, source, nullptr, 0), DD_OK);
    EXPECT_EQ(At(dest, 8, 8), At(source, 0, 0));
    EXPECT_EQ(At(dest, 15, 15), At(source, 7, 7));
}

TEST_F(DDrawTest, ColorFillPaintsExactlyTheRectangle) {
    IDirectDrawSurface* dest = Offscreen(6, 5);
    RECT rect{1, 2, 4, 5};
    DDBLTFX fx{sizeof(DDBLTFX), 7};
    ASSERT_EQ(dest->Blt(&rect, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 6; ++x) {
            const bool inside = x >= 1 && x < 4 && y >= 2;
            EXPECT_EQ(At(dest, x, y), inside ? 7 : BACKGROUND) << x << "," << y;
        }
    }
}

TEST_F(DDrawTest, SourceColorKeySkipsKeyPixelsOnlyWhenAsked) {
    IDirectDrawSurface* source = Offscreen(4, 1);
    const BYTE row[4] = {KEY, 5, KEY, 6};
    std::copy(row, row + 4, source->Pixels());
    SetKey(source, KEY, KEY);

    IDirectDrawSurface* keyed = Offscreen(4, 1);
    keyed->BltFast(0, 0, source, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
    EXPECT_EQ(Snapshot(keyed), (std::vector<BYTE>{BACKGROUND, 5, BACKGROUND, 6}));

    IDirectDrawSurface* opaque = Offscreen(4, 1);
    opaque->BltFast(0, 0, source, nullptr, DDBLTFAST_NOCOLORKEY);
    EXPECT_EQ(Snapshot(opaque), (std::vector<BYTE>{KEY, 5, KEY, 6}));

    IDirectDrawSurface* viaBlt = Offscreen(4, 1);
    viaBlt->Blt(nullptr, source, nullptr, DDBLT_KEYSRC | DDBLT_WAIT, nullptr);
    EXPECT_EQ(Snapshot(viaBlt), (std::vector<BYTE>{BACKGROUND, 5, BACKGROUND, 6}));
}

TEST_F(DDrawTest, ColorKeyRangeAndMissingKey) {
    IDirectDrawSurface* source = Offscreen(6, 1);
    const BYTE row[6] = {9, 10, 11, 12, 13, 0};
    std::copy(row, row + 6, source->Pixels());

    // Without a key a keyed copy copies every pixel.
    IDirectDrawSurface* unkeyed = Offscreen(6, 1);
    unkeyed->BltFast(0, 0, source, nullptr, DDBLTFAST_SRCCOLORKEY);
    EXPECT_EQ(Snapshot(unkeyed), Snapshot(source));

    SetKey(source, 10, 12);
    IDirectDrawSurface* ranged = Offscreen(6, 1);
    ranged->BltFast(0, 0, source, nullptr, DDBLTFAST_SRCCOLORKEY);
    EXPECT_EQ(Snapshot(ranged), (std::vector<BYTE>{9, BACKGROUND, BACKGROUND, BACKGROUND, 13, 0}));
}

TEST_F(DDrawTest, KeyedCopyOfAWideSurfaceKeepsEveryNonKeyPixel) {
    // Long rows exercise the row loop past any unrolled or vectorised width.
    IDirectDrawSurface* source = Offscreen(640, 3);
    for (int i = 0; i < 640 * 3; ++i) {
        source->Pixels()[i] = static_cast<BYTE>(i % 3 == 0 ? KEY : 40 + i % 200);
    }
    SetKey(source, KEY, KEY);
    IDirectDrawSurface* dest = Offscreen(640, 3);
    dest->BltFast(0, 0, source, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
    for (int i = 0; i < 640 * 3; ++i) {
        ASSERT_EQ(dest->Pixels()[i], i % 3 == 0 ? BACKGROUND : source->Pixels()[i]) << i;
    }
}

TEST_F(DDrawTest, StretchReadsTheFixedPointSourceOffset) {
    IDirectDrawSurface* source = Numbered(Offscreen(10, 4));
    // 4 columns widened to 10: step (4 << 16) / 10 = 26214, so offset 5 still reads column 1.
    IDirectDrawSurface* wide = Offscreen(10, 1);
    RECT from{0, 0, 4, 1};
    ASSERT_EQ(wide->Blt(nullptr, source, &from, DDBLT_KEYSRC | DDBLT_WAIT, nullptr), DD_OK);
    const int wideColumns[10] = {0, 0, 0, 1, 1, 1, 2, 2, 3, 3};
    for (int x = 0; x < 10; ++x) EXPECT_EQ(At(wide, x, 0), At(source, wideColumns[x], 0)) << x;

    // 10 columns and 4 rows shrunk to 3 by 2, placed at (1, 1).
    IDirectDrawSurface* small = Offscreen(5, 4);
    RECT to{1, 1, 4, 3};
    ASSERT_EQ(small->Blt(&to, source, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    const int columns[3] = {0, 3, 6};
    const int rows[2] = {0, 2};
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(At(small, 1 + x, 1 + y), At(source, columns[x], rows[y]));
        }
    }
    EXPECT_EQ(At(small, 0, 1), BACKGROUND);
    EXPECT_EQ(At(small, 4, 1), BACKGROUND);
    EXPECT_EQ(At(small, 1, 0), BACKGROUND);
    EXPECT_EQ(At(small, 1, 3), BACKGROUND);
}

TEST_F(DDrawTest, StretchLeavesKeyPixelsOut) {
    IDirectDrawSurface* source = Offscreen(2, 1);
    source->Pixels()[0] = KEY;
    source->Pixels()[1] = 4;
    SetKey(source, KEY, KEY);
    IDirectDrawSurface* dest = Offscreen(4, 2);
    dest->Blt(nullptr, source, nullptr, DDBLT_KEYSRC | DDBLT_WAIT, nullptr);
    EXPECT_EQ(Snapshot(dest),
              (std::vector<BYTE>{BACKGROUND, BACKGROUND, 4, 4, BACKGROUND, BACKGROUND, 4, 4}));
}

TEST_F(DDrawTest, OverlappingCopyWithinOneSurfaceReadsTheOldPicture) {
    IDirectDrawSurface* surface = Numbered(Offscreen(6, 6));
    const std::vector<BYTE> before = Snapshot(surface);
    RECT from{0, 0, 4, 4};
    ASSERT_EQ(surface->BltFast(1, 1, surface, &from, 0), DD_OK);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) EXPECT_EQ(At(surface, x + 1, y + 1), before[y * 6 + x]);
    }
}

TEST_F(DDrawTest, FlipExchangesBuffersAndPresentsTheNewFront) {
    IDirectDrawSurface* primary = Primary();
    DDSCAPS caps{DDSCAPS_BACKBUFFER};
    IDirectDrawSurface* back = nullptr;
    ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);
    ASSERT_NE(back, nullptr);
    ASSERT_NE(back, primary);
    EXPECT_EQ(back->Width(), 640);
    EXPECT_EQ(back->Height(), 480);

    const std::uint64_t flipsBefore = PresentedFrameCount();
    Fill(back, 1);
    At(back, 3, 4) = 11;
    const std::vector<BYTE> first = Snapshot(back);
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    ASSERT_EQ(headless::LastFrame().pixels, first);

    Fill(back, 2);
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(headless::LastFrame().pixels, std::vector<BYTE>(640 * 480, 2));
    // The back buffer now holds, unchanged, the frame shown before.
    EXPECT_EQ(Snapshot(back), first);
    EXPECT_EQ(Snapshot(primary), std::vector<BYTE>(640 * 480, 2));
    EXPECT_EQ(PresentedFrameCount() - flipsBefore, 2u);
    EXPECT_NE(back->Flip(nullptr, DDFLIP_WAIT), DD_OK);
}

TEST_F(DDrawTest, SetPaletteTakesEffectAtOnce) {
    IDirectDrawSurface* primary = Primary();
    Fill(primary, 3);
    PALETTEENTRY entries[256] = {};
    entries[3] = {0x12, 0x34, 0x56, PC_RESERVED | PC_NOCOLLAPSE};
    IDirectDrawPalette* palette = nullptr;
    ASSERT_EQ(dd_->CreatePalette(DDPCAPS_8BIT, entries, &palette, nullptr), DD_OK);

    const std::uint64_t flipsBefore = PresentedFrameCount();
    const std::uint64_t presentsBefore = headless::FrameCount();
    ASSERT_EQ(primary->SetPalette(palette), DD_OK);
    EXPECT_EQ(ScreenPalette()[3], 0x123456u);
    // Shown again with the new colours, though nothing was flipped.
    EXPECT_EQ(headless::FrameCount(), presentsBefore + 1);
    EXPECT_EQ(headless::LastFrame().palette[3], 0x123456u);
    EXPECT_EQ(headless::LastFrame().pixels, std::vector<BYTE>(640 * 480, 3));
    EXPECT_EQ(PresentedFrameCount(), flipsBefore);

    // The primary holds its own reference: the creator's goes, the palette stays.
    EXPECT_EQ(palette->Release(), 1u);
    EXPECT_EQ(palette->AddRef(), 2u);
    EXPECT_EQ(palette->Release(), 1u);
    EXPECT_NE(Offscreen(4, 4)->SetPalette(palette), DD_OK);
}

TEST_F(DDrawTest, LockGivesPixelsAndPitch) {
    IDirectDrawSurface* surface = Offscreen(7, 3);
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    ASSERT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    ASSERT_GE(desc.lPitch, 7);
    static_cast<BYTE*>(desc.lpSurface)[2 * desc.lPitch + 5] = 9;
    EXPECT_NE(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(surface->Unlock(nullptr), DD_OK);
    EXPECT_NE(surface->Unlock(nullptr), DD_OK);
    EXPECT_EQ(At(surface, 5, 2), 9);
}

TEST_F(DDrawTest, OneDeviceContextAtATime) {
    IDirectDrawSurface* surface = Offscreen(4, 4);
    HDC dc = nullptr;
    ASSERT_EQ(surface->GetDC(&dc), DD_OK);
    ASSERT_NE(dc, nullptr);
    HDC second = nullptr;
    EXPECT_NE(surface->GetDC(&second), DD_OK);
    EXPECT_EQ(surface->ReleaseDC(dc), DD_OK);
    EXPECT_NE(surface->ReleaseDC(dc), DD_OK);
    EXPECT_EQ(surface->GetDC(&second), DD_OK);
    EXPECT_EQ(surface->ReleaseDC(second), DD_OK);
}

TEST_F(DDrawTest, CreateSurfaceHonoursTheDescription) {
    IDirectDrawSurface* tall = Offscreen(960, 2000);
    EXPECT_EQ(tall->Width(), 960);
    EXPECT_EQ(tall->Height(), 2000);

    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    desc.dwWidth = 0x7FFFFFFF;
    desc.dwHeight = 0x7FFFFFFF;
    IDirectDrawSurface* huge = tall;
    EXPECT_NE(dd_->CreateSurface(&desc, &huge, nullptr), DD_OK);
    EXPECT_EQ(huge, nullptr);
    desc.dwFlags = DDSD_CAPS;
    EXPECT_NE(dd_->CreateSurface(&desc, &huge, nullptr), DD_OK);
}

}  // namespace
