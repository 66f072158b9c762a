#include "gfx/surfaces.h"

#include "platform/gdi.h"

IDirectDraw* g_dd = nullptr;
IDirectDrawSurface* g_primary = nullptr;
IDirectDrawSurface* g_back = nullptr;
IDirectDrawSurface* g_offscreen1 = nullptr;
IDirectDrawSurface* g_offscreen2 = nullptr;
IDirectDrawSurface* g_offscreen3 = nullptr;
IDirectDrawSurface* g_offscreen4 = nullptr;

void CreateOffscreen(IDirectDrawSurface** surface, DWORD width, DWORD height, DWORD keyLow,
                     DWORD keyHigh) {
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    desc.dwWidth = width;
    desc.dwHeight = height;
    g_dd->CreateSurface(&desc, surface, nullptr);
    if (*surface != nullptr && keyLow != 0 && keyHigh != 0) {
        DDCOLORKEY key{keyLow, keyHigh};
        (*surface)->SetColorKey(DDCKEY_SRCBLT, &key);
    }
}

void LoadBitmapToSurface(IDirectDrawSurface* surface, const char* path) {
    auto* bitmap = static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), path, IMAGE_BITMAP, 0,
                                                   0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (bitmap == nullptr) return;
    BITMAP description{};
    GetObjectA(bitmap, sizeof(description), &description);
    HDC memory = CreateCompatibleDC(nullptr);
    SelectObject(memory, bitmap);
    // A shorter colour table leaves the remaining entries black.
    RGBQUAD colors[256] = {};
    GetDIBColorTable(memory, 0, 256, colors);
    PALETTEENTRY entries[256];
    for (int i = 0; i < 256; ++i) {
        entries[i] = {colors[i].rgbRed, colors[i].rgbGreen, colors[i].rgbBlue,
                      PC_RESERVED | PC_NOCOLLAPSE};
    }
    IDirectDrawPalette* palette = nullptr;
    g_dd->CreatePalette(DDPCAPS_8BIT, entries, &palette, nullptr);
    g_primary->SetPalette(palette);
    HDC target = nullptr;
    surface->GetDC(&target);
    BitBlt(target, 0, 0, description.bmWidth, description.bmHeight, memory, 0, 0, SRCCOPY);
    surface->ReleaseDC(target);
    DeleteDC(memory);
    palette->Release();
    DeleteObject(bitmap);
}
