#include "gfx/transitions.h"

#include <algorithm>

#include "gfx/blit.h"
#include "gfx/surfaces.h"

int g_wipeStep = 0;
int g_slideOffset = 0;
int g_shatterDX[SHATTER_TABLE_SIZE][SHATTER_TABLE_SIZE];
int g_shatterDY[SHATTER_TABLE_SIZE][SHATTER_TABLE_SIZE];

namespace {

constexpr int SLAT_SIZE = 32;
constexpr int SLIDE_STEP = 4;
constexpr int SLIDE_END = 450;
constexpr int PANEL_RIGHT = 545;
constexpr RECT PANEL_EDGE{20, 0, 95, SCREEN_HEIGHT};
constexpr int SHATTER_BLOCK = 2;

void AdvanceWipe() {
    g_wipeStep = std::min(g_wipeStep + 1, SLAT_SIZE);
}

}  // namespace

void ResetTransitions() {
    g_wipeStep = 0;
    g_slideOffset = 0;
}

void HorizontalBlinds(IDirectDrawSurface* surface, DWORD colour) {
    for (int top = 0; top < SCREEN_HEIGHT; top += SLAT_SIZE) {
        ColorFill(surface, RECT{0, top + g_wipeStep, SCREEN_WIDTH, top + SLAT_SIZE}, colour);
    }
    AdvanceWipe();
}

void VerticalBlinds(IDirectDrawSurface* surface) {
    for (int left = 0; left < SCREEN_WIDTH; left += SLAT_SIZE) {
        ColorFill(surface, RECT{left + g_wipeStep, 0, left + SLAT_SIZE, SCREEN_HEIGHT}, 0);
    }
    AdvanceWipe();
}

void SlidePanel(IDirectDrawSurface* destination, IDirectDrawSurface* source) {
    const int edge = PANEL_RIGHT - g_slideOffset;
    RECT shown{edge, 0, SCREEN_WIDTH, SCREEN_HEIGHT};
    destination->BltFast(static_cast<DWORD>(edge), 0, source, &shown,
                         DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
    BltFastClipped(destination, edge - (PANEL_EDGE.right - PANEL_EDGE.left), 0, source,
                   PANEL_EDGE, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
    g_slideOffset = std::min(g_slideOffset + SLIDE_STEP, SLIDE_END);
}

void ShatterBlit(IDirectDrawSurface* destination, int x, int y, IDirectDrawSurface* source,
                 int sourceX, int sourceY, int width, int height, int spread) {
    DDSURFACEDESC destinationDesc{};
    destinationDesc.dwSize = sizeof(destinationDesc);
    if (destination->Lock(nullptr, &destinationDesc, DDLOCK_WAIT, nullptr) != DD_OK) return;
    DDSURFACEDESC sourceDesc{};
    sourceDesc.dwSize = sizeof(sourceDesc);
    if (source->Lock(nullptr, &sourceDesc, DDLOCK_WAIT, nullptr) != DD_OK) {
        destination->Unlock(nullptr);
        return;
    }
    auto* to = static_cast<BYTE*>(destinationDesc.lpSurface);
    const auto* from = static_cast<const BYTE*>(sourceDesc.lpSurface);
    const int sourceWidth = static_cast<int>(sourceDesc.dwWidth);
    const int sourceHeight = static_cast<int>(sourceDesc.dwHeight);

    // The tables hold one offset per block of a 64x64 sprite.
    width = std::min(width, SHATTER_TABLE_SIZE * SHATTER_BLOCK);
    height = std::min(height, SHATTER_TABLE_SIZE * SHATTER_BLOCK);
    for (int by = 0; by < height; by += SHATTER_BLOCK) {
        for (int bx = 0; bx < width; bx += SHATTER_BLOCK) {
            const int fromX = sourceX + bx;
            const int fromY = sourceY + by;
            // A block not wholly on the source (a picture index past the sheet's end) is
            // left out rather than read from beyond it.
            if (fromX < 0 || fromY < 0 || fromX + SHATTER_BLOCK > sourceWidth ||
                fromY + SHATTER_BLOCK > sourceHeight) {
                continue;
            }
            const int row = by / SHATTER_BLOCK;
            const int column = bx / SHATTER_BLOCK;
            const int ox = bx + static_cast<int>(g_shatterDX[row][column] / 32.0 * spread);
            const int oy = by + static_cast<int>(g_shatterDY[row][column] / 24.0 * spread);
            if (x + ox < 0 || y + oy < 0) continue;
            for (int i = 0; i < SHATTER_BLOCK; ++i) {
                for (int j = 0; j < SHATTER_BLOCK; ++j) {
                    const int toX = x + ox + j;
                    const int toY = y + oy + i;
                    if (toX >= SCREEN_WIDTH || toY >= SCREEN_HEIGHT) continue;
                    to[toY * destinationDesc.lPitch + toX] =
                        from[(fromY + i) * sourceDesc.lPitch + fromX + j];
                }
            }
        }
    }

    source->Unlock(nullptr);
    destination->Unlock(nullptr);
}
