// Display objects for the stand-in's tests, described the way the game describes them.
#pragma once

#include <algorithm>

#include "platform/ddraw.h"

namespace platformtest {

// The flipping primary surface with its one back buffer; null if refused.
inline IDirectDrawSurface* CreatePrimary(IDirectDraw* dd) {
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.dwBackBufferCount = 1;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    IDirectDrawSurface* primary = nullptr;
    dd->CreateSurface(&desc, &primary, nullptr);
    return primary;
}

// An offscreen plain surface, without a colour key, every pixel `fill`; null if refused.
inline IDirectDrawSurface* CreatePlain(IDirectDraw* dd, int width, int height, BYTE fill) {
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    desc.dwWidth = static_cast<DWORD>(width);
    desc.dwHeight = static_cast<DWORD>(height);
    IDirectDrawSurface* surface = nullptr;
    if (dd->CreateSurface(&desc, &surface, nullptr) == DD_OK) {
        std::fill_n(surface->Pixels(), surface->Width() * surface->Height(), fill);
    }
    return surface;
}

}  // namespace platformtest
