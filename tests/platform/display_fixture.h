// A DirectDraw device and the surfaces a test makes, all released at its end.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/ddraw.h"
#include "platform/headless/headless.h"

namespace platformtest {

constexpr BYTE BACKGROUND = 250;

class DisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::Reset();
        DirectDrawCreate(nullptr, &dd_, nullptr);
    }

    void TearDown() override {
        for (IDirectDrawSurface* surface : made_) surface->Release();
        dd_->Release();
    }

    // The flipping primary with its one back buffer.
    IDirectDrawSurface* Primary() {
        DDSURFACEDESC desc{};
        desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
        desc.dwBackBufferCount = 1;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
        return Create(desc);
    }

    // An offscreen plain surface without a colour key, every pixel `fill`.
    IDirectDrawSurface* Offscreen(int width, int height, BYTE fill = BACKGROUND) {
        DDSURFACEDESC desc{};
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
        desc.dwWidth = static_cast<DWORD>(width);
        desc.dwHeight = static_cast<DWORD>(height);
        IDirectDrawSurface* surface = Create(desc);
        std::fill_n(surface->Pixels(), width * height, fill);
        return surface;
    }

    static BYTE& At(IDirectDrawSurface* s, int x, int y) { return s->Pixels()[y * s->Width() + x]; }

    static std::vector<BYTE> Pixels(IDirectDrawSurface* s) {
        return {s->Pixels(), s->Pixels() + s->Width() * s->Height()};
    }

    IDirectDraw* dd_ = nullptr;

private:
    IDirectDrawSurface* Create(DDSURFACEDESC& desc) {
        desc.dwSize = sizeof(desc);
        IDirectDrawSurface* surface = nullptr;
        EXPECT_EQ(dd_->CreateSurface(&desc, &surface, nullptr), DD_OK);
        if (surface != nullptr) made_.push_back(surface);
        return surface;
    }

    std::vector<IDirectDrawSurface*> made_;
};

}  // namespace platformtest
