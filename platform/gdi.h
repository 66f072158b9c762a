// Stand-in for the GDI calls the game makes: 8-bit BMP files loaded into DIB sections
// with their colour table, memory device contexts, BitBlt clipped to the target,
// Ellipse, TextOutA with our own bold bitmap font, solid brushes. Colours given as
// COLORREF resolve to the nearest entry of the screen palette (first exact match wins).
#pragma once

#include "platform/win32.h"

constexpr UINT IMAGE_BITMAP = 0;
constexpr UINT LR_LOADFROMFILE = 0x00000010;
constexpr UINT LR_CREATEDIBSECTION = 0x00002000;
constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr int WHITE_BRUSH = 0;

struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    void* bmBits;
};

struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) |
           (static_cast<COLORREF>(b) << 16);
}

// Reads an uncompressed 8-bit BMP file (path through the game's file resolver) into a
// DIB section; anything it cannot read yields null.
HANDLE LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int width, int height, UINT flags);
int GetObjectA(HANDLE object, int size, void* out);
HGDIOBJ GetStockObject(int object);
HDC CreateCompatibleDC(HDC dc);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
UINT GetDIBColorTable(HDC dc, UINT start, UINT count, RGBQUAD* colors);
BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
            DWORD rop);
BOOL DeleteDC(HDC dc);
BOOL DeleteObject(HGDIOBJ object);
HBRUSH CreateSolidBrush(COLORREF color);
// Right and bottom exclusive; a 1-pixel black outline and a brush-filled inside.
BOOL Ellipse(HDC dc, int left, int top, int right, int bottom);
// Black text on an opaque white box, about 7x16 pixels a character.
BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int length);
