#include "gfx/blit.h"

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
    destination->BltFast(0, 0, work, &screen, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
}
