// Software surfaces for the drawing tests, made through the display device stand-in, with
// direct access to their pixels (one byte each, rows `width` bytes apart).
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "gfx/surfaces.h"
#include "platform/ddraw.h"

namespace gfxtest {

// Palette index that no painted pattern uses: left in place, it shows a pixel untouched.
constexpr BYTE UNTOUCHED = 250;

class SurfaceTest : public ::testing::Test {
protected:
    void SetUp() override { DirectDrawCreate(nullptr, &dd_, nullptr); }

    void TearDown() override {
        for (IDirectDrawSurface* surface : made_) surface->Release();
        dd_->Release();
    }

    // An offscreen surface keyed on KEY_COLOR_INDEX, filled with UNTOUCHED.
    IDirectDrawSurface* MakeSurface(int width, int height) {
        DDSURFACEDESC desc{};
        desc.dwSize = sizeof(desc);
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.dwWidth = static_cast<DWORD>(width);
        desc.dwHeight = static_cast<DWORD>(height);
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
        IDirectDrawSurface* surface = nullptr;
        dd_->CreateSurface(&desc, &surface, nullptr);
        EXPECT_NE(surface, nullptr);
        DDCOLORKEY key{KEY_COLOR_INDEX, KEY_COLOR_INDEX};
        surface->SetColorKey(DDCKEY_SRCBLT, &key);
        made_.push_back(surface);
        Paint(surface, [](int, int) { return UNTOUCHED; });
        return surface;
    }

    IDirectDrawSurface* MakeScreen() { return MakeSurface(SCREEN_WIDTH, SCREEN_HEIGHT); }

    static BYTE& At(IDirectDrawSurface* surface, int x, int y) {
        return surface->Pixels()[y * surface->Width() + x];
    }

    static void Paint(IDirectDrawSurface* surface, const std::function<BYTE(int, int)>& colour) {
        for (int y = 0; y < surface->Height(); ++y) {
            for (int x = 0; x < surface->Width(); ++x) At(surface, x, y) = colour(x, y);
        }
    }

    // A pattern that tells pixels apart and avoids 0, the key and UNTOUCHED.
    static BYTE Pattern(int x, int y) { return static_cast<BYTE>(100 + (x * 7 + y * 13) % 128); }

    static std::vector<BYTE> Snapshot(IDirectDrawSurface* surface) {
        const BYTE* pixels = surface->Pixels();
        return {pixels, pixels + surface->Width() * surface->Height()};
    }

    IDirectDraw* dd_ = nullptr;

private:
    std::vector<IDirectDrawSurface*> made_;
};

}  // namespace gfxtest
