#include "gfx/blit.h"

#include <algorithm>

#include "gfx/surfaces.h"

void ColorFill(IDirectDrawSurface* surface, RECT rect, DWORD colour) {
    DDBLTFX fx{};
    fx.dwSize = sizeof(fx);
    fx.dwFillColor = colour;
    surface->Blt(&rect, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
}

void BltFastClipped(IDirectDrawSurface* destination, int x, int y, IDirectDrawSurface* source,
                    RECT sourceRect, DWORD flags) {
    if (x < 0) {
        sourceRect.left -= x;
        x = 0;
    }
    if (y < 0) {
        sourceRect.top -= y;
        y = 0;
    }
    if (x + (sourceRect.right - sourceRect.left) > SCREEN_WIDTH) {
        sourceRect.right = sourceRect.left - x + SCREEN_WIDTH;
    }
    if (y + (sourceRect.bottom - sourceRect.top) > SCREEN_HEIGHT) {
        sourceRect.bottom = sourceRect.top - y + SCREEN_HEIGHT;
    }
    // Whatever is left wholly off the screen is an empty or inverted rectangle, which the
    // device refuses.
    destination->BltFast(static_cast<DWORD>(x), static_cast<DWORD>(y), source, &sourceRect,
                         flags);
}

void DrawCircle(IDirectDrawSurface* destination, IDirectDrawSurface* work, int cx, int cy, int r,
                HBRUSH brush) {
    RECT screen{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT};
    ColorFill(work, screen, 0);
    HDC dc = nullptr;
    if (work->GetDC(&dc) == DD_OK) {
        SelectObject(dc, brush);
        Ellipse(dc, cx - r, cy - r, cx + r, cy + r);
        work->ReleaseDC(dc);
    }
    // Outside the disc's box the work surface is all index 0, never the key, so copying it
    // there only blackens the destination: a fill does that without reading the work
    // surface. Only the box is copied through the key.
    const RECT box{std::clamp(std::min(cx - r, cx + r), 0, SCREEN_WIDTH),
                   std::clamp(std::min(cy - r, cy + r), 0, SCREEN_HEIGHT),
                   std::clamp(std::max(cx - r, cx + r), 0, SCREEN_WIDTH),
                   std::clamp(std::max(cy - r, cy + r), 0, SCREEN_HEIGHT)};
    const RECT black[4] = {{0, 0, SCREEN_WIDTH, box.top},
                           {0, box.bottom, SCREEN_WIDTH, SCREEN_HEIGHT},
                           {0, box.top, box.left, box.bottom},
                           {box.right, box.top, SCREEN_WIDTH, box.bottom}};
    for (const RECT& rect : black) {
        if (rect.left < rect.right && rect.top < rect.bottom) ColorFill(destination, rect, 0);
    }
    // A disc wholly off the screen leaves no box, which the device would refuse.
    if (box.left == box.right || box.top == box.bottom) return;
    RECT source = box;
    destination->BltFast(static_cast<DWORD>(box.left), static_cast<DWORD>(box.top), work, &source,
                         DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
}
