// The display objects every scene draws with, and the two operations behind the
// pictures: making an offscreen surface and loading a bitmap file into one.
#pragma once

#include "platform/ddraw.h"
#include "platform/seam/screen.h"
// The one transparent palette index of every keyed copy from an offscreen surface.
constexpr DWORD KEY_COLOR_INDEX = 38;

extern IDirectDraw* g_dd;
extern IDirectDrawSurface* g_primary;
extern IDirectDrawSurface* g_back;
extern IDirectDrawSurface* g_offscreen1;
extern IDirectDrawSurface* g_offscreen2;
extern IDirectDrawSurface* g_offscreen3;
extern IDirectDrawSurface* g_offscreen4;

void CreateOffscreen(IDirectDrawSurface** surface, DWORD width, DWORD height, DWORD keyLow,
                     DWORD keyHigh);
// Copies the bitmap to (0, 0) of the surface and makes its colour table the screen
// palette; a file that cannot be read changes nothing.
void LoadBitmapToSurface(IDirectDrawSurface* surface, const char* path);

// Releases the primary (its back buffer goes with it), then the offscreen surfaces 2, 3,
// 4 and 1, each only if it exists, and clears every handle so nothing can use them again.
void ReleaseSurfaces();
