// The three drawing operations the scenes share: a colour fill, a copy cut to the
// screen, and the round window that hides everything but a disc.
#pragma once

#include "platform/ddraw.h"
#include "platform/gdi.h"

// Fills the rectangle of the surface with one palette index.
void ColorFill(IDirectDrawSurface* surface, RECT rect, DWORD colour);

// BltFast of the source rectangle to (x, y), cut to the 640x480 screen first; a copy
// wholly off the screen draws nothing.
void BltFastClipped(IDirectDrawSurface* destination, int x, int y, IDirectDrawSurface* source,
                    RECT sourceRect, DWORD flags);

// Covers the destination with palette index 0 except for a disc of radius r round
// (cx, cy), through which the destination's own picture stays visible. The work surface
// is overwritten; the brush's colour must resolve to the work surface's colour key.
void DrawCircle(IDirectDrawSurface* destination, IDirectDrawSurface* work, int cx, int cy, int r,
                HBRUSH brush);
