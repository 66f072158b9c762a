// Software surfaces for the drawing tests, one byte a pixel, and checks of their pictures.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "gfx/surfaces.h"
#include "platform/ddraw.h"
#include "platform/headless/headless.h"

namespace gfxtest {

// A palette index no painted pattern uses: left in place, it shows a pixel untouched.
constexpr BYTE UNTOUCHED = 250;

class SurfaceTest : public ::testing::Test {
protected:
    // The game's device and flipping primary, which palettes are shown through.
    void SetUp() override {
        headless::Reset();
        DirectDrawCreate(nullptr, &g_dd, nullptr);
        DDSURFACEDESC desc{};
        desc.dwSize = sizeof(desc);
        desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
        desc.dwBackBufferCount = 1;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
        g_dd->CreateSurface(&desc, &g_primary, nullptr);
        ASSERT_NE(g_primary, nullptr);
        made_.push_back(g_primary);
    }

    void TearDown() override {
        for (IDirectDrawSurface* surface : made_) surface->Release();
        g_dd->Release();
    }

    // An offscreen surface filled with UNTOUCHED, keyed as the game's are.
    IDirectDrawSurface* MakeSurface(int width = SCREEN_WIDTH, int height = SCREEN_HEIGHT) {
        IDirectDrawSurface* surface = nullptr;
        CreateOffscreen(&surface, DWORD(width), DWORD(height), KEY_COLOR_INDEX, KEY_COLOR_INDEX);
        EXPECT_NE(surface, nullptr);
        made_.push_back(surface);
        Clear(surface);
        return surface;
    }

    static BYTE& At(IDirectDrawSurface* surface, int x, int y) {
        return surface->Pixels()[y * surface->Width() + x];
    }

    static std::vector<BYTE> PixelsOf(IDirectDrawSurface* s) {
        return {s->Pixels(), s->Pixels() + s->Width() * s->Height()};
    }

    static void Paint(IDirectDrawSurface* surface, const std::function<BYTE(int, int)>& colour) {
        for (int y = 0; y < surface->Height(); ++y) {
            for (int x = 0; x < surface->Width(); ++x) At(surface, x, y) = colour(x, y);
        }
    }

    static void Clear(IDirectDrawSurface* s) { Paint(s, [](int, int) { return UNTOUCHED; }); }

    static bool Inside(int x, int y, const RECT& r) {
        return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
    }

    // Tells pixels apart and avoids 0, the key and UNTOUCHED.
    static BYTE Pattern(int x, int y) { return static_cast<BYTE>(100 + (x * 7 + y * 13) % 128); }

    // Pixels that differ from the expected picture.
    static int Mismatches(IDirectDrawSurface* surface,
                          const std::function<BYTE(int, int)>& expected) {
        int count = 0;
        for (int y = 0; y < surface->Height(); ++y) {
            for (int x = 0; x < surface->Width(); ++x) count += At(surface, x, y) != expected(x, y);
        }
        return count;
    }

private:
    std::vector<IDirectDrawSurface*> made_;
};

}  // namespace gfxtest
