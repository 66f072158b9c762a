// Stand-in for the display device: software surfaces of one byte per pixel (palette
// indices), a flipping primary surface with one back buffer, and 256-entry palettes.
// Blits refuse the whole call when a rectangle is empty, inverted or sticks out of its
// surface; no surface has a clipper. Interfaces are plain classes with Release().
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

#include "platform/fill_memo.h"
#include "platform/win32.h"

constexpr HRESULT DD_OK = 0;
constexpr HRESULT DDERR_INVALIDRECT = static_cast<HRESULT>(0x88760096L);
constexpr HRESULT DDERR_INVALIDPARAMS = static_cast<HRESULT>(0x80070057L);
constexpr HRESULT DDERR_SURFACEBUSY = static_cast<HRESULT>(0x887601AEL);
constexpr HRESULT DDERR_NOTLOCKED = static_cast<HRESULT>(0x887601E6L);

constexpr DWORD DDSCL_FULLSCREEN = 0x00000001;
constexpr DWORD DDSCL_EXCLUSIVE = 0x00000010;

constexpr DWORD DDSD_CAPS = 0x00000001;
constexpr DWORD DDSD_HEIGHT = 0x00000002;
constexpr DWORD DDSD_WIDTH = 0x00000004;
constexpr DWORD DDSD_PITCH = 0x00000008;
constexpr DWORD DDSD_BACKBUFFERCOUNT = 0x00000020;
constexpr DWORD DDSD_LPSURFACE = 0x00000800;

constexpr DWORD DDSCAPS_BACKBUFFER = 0x00000004;
constexpr DWORD DDSCAPS_COMPLEX = 0x00000008;
constexpr DWORD DDSCAPS_FLIP = 0x00000010;
constexpr DWORD DDSCAPS_OFFSCREENPLAIN = 0x00000040;
constexpr DWORD DDSCAPS_PRIMARYSURFACE = 0x00000200;

constexpr DWORD DDCKEY_SRCBLT = 0x00000008;

constexpr DWORD DDBLTFAST_NOCOLORKEY = 0x00000000;
constexpr DWORD DDBLTFAST_SRCCOLORKEY = 0x00000001;
constexpr DWORD DDBLTFAST_WAIT = 0x00000010;

constexpr DWORD DDBLT_COLORFILL = 0x00000400;
constexpr DWORD DDBLT_KEYSRC = 0x00008000;
constexpr DWORD DDBLT_WAIT = 0x01000000;

constexpr DWORD DDFLIP_WAIT = 0x00000001;
constexpr DWORD DDLOCK_WAIT = 0x00000001;
constexpr DWORD DDPCAPS_8BIT = 0x00000004;

constexpr BYTE PC_RESERVED = 0x01;
constexpr BYTE PC_NOCOLLAPSE = 0x04;

struct DDCOLORKEY {
    DWORD dwColorSpaceLowValue;
    DWORD dwColorSpaceHighValue;
};

struct DDSCAPS {
    DWORD dwCaps;
};

struct DDSURFACEDESC {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwHeight;
    DWORD dwWidth;
    LONG lPitch;
    DWORD dwBackBufferCount;
    void* lpSurface;
    DDCOLORKEY ddckCKSrcBlt;
    DDSCAPS ddsCaps;
};

struct DDBLTFX {
    DWORD dwSize;
    DWORD dwFillColor;
};

struct PALETTEENTRY {
    BYTE peRed;
    BYTE peGreen;
    BYTE peBlue;
    BYTE peFlags;
};

class IDirectDrawPalette {
public:
    explicit IDirectDrawPalette(const PALETTEENTRY* entries);
    ULONG AddRef();
    ULONG Release();
    const PALETTEENTRY* Entries() const { return entries_; }

private:
    ~IDirectDrawPalette() = default;
    ULONG refs_ = 1;
    PALETTEENTRY entries_[256];
};

// Pixels on whole cache lines: a tile or sprite 64 pixels wide whose rows start on a
// multiple of 64 then reads one line a row, not two.
template <typename T>
struct CacheLineAllocator {
    using value_type = T;
    static constexpr std::align_val_t ALIGNMENT{64};
    CacheLineAllocator() = default;
    template <typename U>
    explicit CacheLineAllocator(const CacheLineAllocator<U>&) {}
    T* allocate(std::size_t count) { return static_cast<T*>(::operator new(count * sizeof(T), ALIGNMENT)); }
    void deallocate(T* pointer, std::size_t) { ::operator delete(pointer, ALIGNMENT); }
    bool operator==(const CacheLineAllocator&) const = default;
};

class IDirectDrawSurface {
public:
    IDirectDrawSurface(int width, int height, bool primary);
    ULONG Release();

    // Copies a source rectangle to (x, y), skipping key pixels when DDBLTFAST_SRCCOLORKEY.
    HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface* source, RECT* sourceRect, DWORD flags);
    // Colour fill (DDBLT_COLORFILL, fx->dwFillColor) or keyed copy that stretches
    // nearest-neighbour when the two rectangles differ in size. Null rectangles mean
    // the whole surface.
    HRESULT Blt(RECT* destRect, IDirectDrawSurface* source, RECT* sourceRect, DWORD flags,
                DDBLTFX* fx);
    // Exchanges the primary's two buffers (copying nothing) and presents the new front.
    HRESULT Flip(IDirectDrawSurface* target, DWORD flags);
    HRESULT GetAttachedSurface(DDSCAPS* caps, IDirectDrawSurface** attached);
    HRESULT GetDC(HDC* dc);
    HRESULT ReleaseDC(HDC dc);
    HRESULT Lock(RECT* rect, DDSURFACEDESC* desc, DWORD flags, HANDLE event);
    HRESULT Unlock(void* rect);
    HRESULT SetColorKey(DWORD flags, DDCOLORKEY* key);
    HRESULT SetPalette(IDirectDrawPalette* palette);

    int Width() const { return width_; }
    int Height() const { return height_; }
    const BYTE* Pixels() const { return pixels_.data(); }
    // For writes the surface cannot follow: it stops assuming anything about its pixels.
    BYTE* Pixels();
    // For a write that stays inside `area` (cut to the surface here): the stand-in's own
    // drawing comes this way, so a later whole fill knows what to redo.
    BYTE* PixelsFor(const RECT& area);
    bool HasColorKey() const { return hasKey_; }
    DWORD ColorKeyLow() const { return keyLow_; }
    DWORD ColorKeyHigh() const { return keyHigh_; }

private:
    ~IDirectDrawSurface();
    // A whole fill with the value the surface already holds redoes only what was written since.
    void Fill(const RECT& area, BYTE value);
    int width_;
    int height_;
    bool primary_;
    bool hasKey_ = false;
    DWORD keyLow_ = 0;
    DWORD keyHigh_ = 0;
    ULONG refs_ = 1;
    bool locked_ = false;
    HDC dc_ = nullptr;
    std::vector<BYTE, CacheLineAllocator<BYTE>> pixels_;
    FillMemo memo_;
    IDirectDrawSurface* back_ = nullptr;  // primary only
    IDirectDrawPalette* palette_ = nullptr;  // primary only
};

class IDirectDraw {
public:
    ULONG Release();
    HRESULT SetCooperativeLevel(HWND hwnd, DWORD flags);
    HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel);
    HRESULT RestoreDisplayMode();
    HRESULT CreateSurface(DDSURFACEDESC* desc, IDirectDrawSurface** surface, void* outer);
    HRESULT CreatePalette(DWORD flags, PALETTEENTRY* entries, IDirectDrawPalette** palette,
                          void* outer);

private:
    friend HRESULT DirectDrawCreate(void*, IDirectDraw**, void*);
    IDirectDraw() = default;
    ~IDirectDraw() = default;
    ULONG refs_ = 1;
};

HRESULT DirectDrawCreate(void* guid, IDirectDraw** directDraw, void* outer);

// The palette shown on screen (that of the primary surface), as 0x00RRGGBB values;
// GDI resolves colours against it.
const std::uint32_t* ScreenPalette();
// Presented frames since start (Flip calls); the loop idles on turns that add none.
std::uint64_t PresentedFrameCount();
