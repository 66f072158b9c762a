// What the display device and GDI share inside the stand-in: the objects behind the GDI
// handles and the device context a surface hands out. Not for game code.
#pragma once

#include <vector>

#include "platform/ddraw.h"
#include "platform/gdi.h"

struct GdiObject {
    enum class Kind { Bitmap, Brush };
    Kind kind;
    // Bitmap: a DIB section, rows top to bottom, `width` bytes apart, and its colour table.
    int width = 0;
    int height = 0;
    std::vector<BYTE> pixels;
    std::vector<RGBQUAD> colors;
    // Brush.
    COLORREF color = 0;
    bool stock = false;
    // Device contexts that hold the object; it cannot be deleted while any does.
    int selections = 0;
};

// A device context draws either on a surface (from GetDC) or, as a memory device context,
// on the bitmap selected into it.
struct HDC__ {
    IDirectDrawSurface* surface = nullptr;
    GdiObject* bitmap = nullptr;
    GdiObject* brush = nullptr;
};

namespace gdi {

HDC CreateSurfaceDC(IDirectDrawSurface* surface);
void DeleteSurfaceDC(HDC dc);

}  // namespace gdi
