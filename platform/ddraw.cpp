#include "platform/ddraw.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/gdi_internal.h"
#include "platform/seam/backend.h"

namespace {

// Offscreen surfaces are at most this large; the game's largest is 960x2000.
constexpr DWORD MAX_SURFACE_SIDE = 16384;
constexpr std::uint64_t MAX_SURFACE_PIXELS = 64u << 20;

std::uint32_t screenPalette[256];
std::uint64_t presentedFrames = 0;

// Non-empty, not inverted and wholly inside a surface of that size.
bool Inside(const RECT& r, int width, int height) {
    return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && r.right <= width &&
           r.bottom <= height;
}

bool Overlap(const RECT& a, const RECT& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// The source pixels a keyed copy leaves out: indices low..high (none when the range is empty).
struct KeyRange {
    bool active;
    BYTE low;
    BYTE span;
};

KeyRange KeyOf(const IDirectDrawSurface& source, bool keyed) {
    const DWORD low = source.ColorKeyLow();
    const DWORD high = std::min<DWORD>(source.ColorKeyHigh(), 255);
    if (!keyed || !source.HasColorKey() || low > high) return {false, 0, 0};
    return {true, static_cast<BYTE>(low), static_cast<BYTE>(high - low)};
}

// One row, equal widths. Keyed: where a source pixel lies in the key range the destination
// keeps its pixel. SSE2, the x86-64 baseline (and the browser's WebAssembly SIMD, which
// takes the same intrinsics), takes sixteen pixels at a time; most runs of sixteen are all
// key (the lantern's disc, a sprite's margin) or have none (walls, the darkness), and then
// the destination is not read. Other processors, and a row's last few pixels, take the
// plain loop.
void CopyRow(BYTE* to, const BYTE* from, int count, KeyRange key) {
    if (!key.active) {
        std::memmove(to, from, static_cast<std::size_t>(count));
        return;
    }
    int i = 0;
#if defined(__SSE2__)
    const __m128i low = _mm_set1_epi8(static_cast<char>(key.low));
    const __m128i span = _mm_set1_epi8(static_cast<char>(key.span));
    for (; i + 16 <= count; i += 16) {
        const __m128i source = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i));
        // Key where the offset from the range's start is no more than its span.
        const __m128i offset = _mm_sub_epi8(source, low);
        const __m128i keep = _mm_cmpeq_epi8(_mm_min_epu8(offset, span), offset);
        const int keys = _mm_movemask_epi8(keep);
        if (keys == 0xffff) continue;
        __m128i merged = source;
        if (keys != 0) {
            const __m128i dest = _mm_loadu_si128(reinterpret_cast<const __m128i*>(to + i));
            merged = _mm_or_si128(_mm_and_si128(keep, dest), _mm_andnot_si128(keep, source));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i), merged);
    }
#endif
    for (; i < count; ++i) {
        const BYTE s = from[i];
        if (static_cast<BYTE>(s - key.low) > key.span) to[i] = s;
    }
}

// A rectangle of pixels: its top-left one, rows `pitch` apart; const for a copy's source.
template <typename Pixel>
struct Rows {
    Pixel* pixels;
    int pitch;
    int width;
    int height;
};
using Block = Rows<BYTE>;
using Source = Rows<const BYTE>;

// Nearest-neighbour: destination offset x reads source offset (x * ((srcW << 16) / dstW)) >> 16.
void StretchBlock(const Block& to, const Source& from, const KeyRange& key) {
    const std::uint64_t stepX = (static_cast<std::uint64_t>(from.width) << 16) / to.width;
    const std::uint64_t stepY = (static_cast<std::uint64_t>(from.height) << 16) / to.height;
    std::vector<int> column(static_cast<std::size_t>(to.width));
    for (int x = 0; x < to.width; ++x) column[x] = static_cast<int>((x * stepX) >> 16);
    for (int y = 0; y < to.height; ++y) {
        const BYTE* source =
            from.pixels + static_cast<std::ptrdiff_t>((y * stepY) >> 16) * from.pitch;
        BYTE* row = to.pixels + static_cast<std::ptrdiff_t>(y) * to.pitch;
        for (int x = 0; x < to.width; ++x) {
            const BYTE s = source[column[x]];
            if (!key.active || static_cast<BYTE>(s - key.low) > key.span) row[x] = s;
        }
    }
}

void CopyBlock(const Block& to, const Source& from, const KeyRange& key) {
    if (to.width != from.width || to.height != from.height) {
        StretchBlock(to, from, key);
        return;
    }
    // The source rows a few ahead are asked for early: a tile's or sprite's rows lie a
    // surface width apart, each in a cache line of its own that the frame's other work
    // has usually pushed out, and waiting for them one by one is most of a small copy's
    // time.
    constexpr int AHEAD = 8;
    for (int y = 0; y < std::min(AHEAD, to.height); ++y) {
        __builtin_prefetch(from.pixels + static_cast<std::ptrdiff_t>(y) * from.pitch);
    }
    for (int y = 0; y < to.height; ++y) {
        if (y + AHEAD < to.height) {
            __builtin_prefetch(from.pixels + static_cast<std::ptrdiff_t>(y + AHEAD) * from.pitch);
        }
        CopyRow(to.pixels + static_cast<std::ptrdiff_t>(y) * to.pitch,
                from.pixels + static_cast<std::ptrdiff_t>(y) * from.pitch, to.width, key);
    }
}

std::ptrdiff_t Offset(const IDirectDrawSurface& surface, const RECT& r) {
    return static_cast<std::ptrdiff_t>(r.top) * surface.Width() + r.left;
}

// Every write of the device goes through here, so the surface notes what it changes.
Block Target(IDirectDrawSurface& surface, const RECT& r) {
    return {surface.PixelsFor(r) + Offset(surface, r), surface.Width(), r.right - r.left,
            r.bottom - r.top};
}

Source Origin(const IDirectDrawSurface& surface, const RECT& r) {
    return {surface.Pixels() + Offset(surface, r), surface.Width(), r.right - r.left,
            r.bottom - r.top};
}

void FillBlock(const Block& block, BYTE value) {
    for (int y = 0; y < block.height; ++y) {
        std::memset(block.pixels + static_cast<std::ptrdiff_t>(y) * block.pitch, value,
                    static_cast<std::size_t>(block.width));
    }
}

// Both rectangles already checked. A copy within one surface whose rectangles overlap goes
// through a temporary, so it reads the picture as it was before the call.
void CopyRect(IDirectDrawSurface& dest, const RECT& to, IDirectDrawSurface& source,
              const RECT& from, bool keyed) {
    const KeyRange key = KeyOf(source, keyed);
    Source fromBlock = Origin(source, from);
    std::vector<BYTE> saved;
    if (&dest == &source && Overlap(to, from)) {
        saved.resize(static_cast<std::size_t>(fromBlock.width) * fromBlock.height);
        const Block copy{saved.data(), fromBlock.width, fromBlock.width, fromBlock.height};
        CopyBlock(copy, fromBlock, {false, 0, 0});
        fromBlock = {copy.pixels, copy.pitch, copy.width, copy.height};
    }
    CopyBlock(Target(dest, to), fromBlock, key);
}

RECT Whole(const IDirectDrawSurface& surface) {
    return {0, 0, surface.Width(), surface.Height()};
}

bool Same(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

IDirectDrawPalette::IDirectDrawPalette(const PALETTEENTRY* entries) {
    std::memcpy(entries_, entries, sizeof(entries_));
}

ULONG IDirectDrawPalette::AddRef() {
    return ++refs_;
}

ULONG IDirectDrawPalette::Release() {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

IDirectDrawSurface::IDirectDrawSurface(int width, int height, bool primary)
    : width_(width),
      height_(height),
      primary_(primary),
      pixels_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
    if (primary_) back_ = new IDirectDrawSurface(width, height, false);
}

IDirectDrawSurface::~IDirectDrawSurface() {
    if (dc_ != nullptr) gdi::DeleteSurfaceDC(dc_);
    if (back_ != nullptr) back_->Release();
    if (palette_ != nullptr) palette_->Release();
}

ULONG IDirectDrawSurface::Release() {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

HRESULT IDirectDrawSurface::BltFast(DWORD x, DWORD y, IDirectDrawSurface* source, RECT* sourceRect,
                                    DWORD flags) {
    if (source == nullptr) return DDERR_INVALIDPARAMS;
    const RECT from = sourceRect != nullptr ? *sourceRect : Whole(*source);
    if (!Inside(from, source->width_, source->height_)) return DDERR_INVALIDRECT;
    const std::int64_t right = std::int64_t{x} + (from.right - from.left);
    const std::int64_t bottom = std::int64_t{y} + (from.bottom - from.top);
    if (right > width_ || bottom > height_) return DDERR_INVALIDRECT;
    const RECT to{static_cast<LONG>(x), static_cast<LONG>(y), static_cast<LONG>(right),
                  static_cast<LONG>(bottom)};
    CopyRect(*this, to, *source, from, (flags & DDBLTFAST_SRCCOLORKEY) != 0);
    return DD_OK;
}

HRESULT IDirectDrawSurface::Blt(RECT* destRect, IDirectDrawSurface* source, RECT* sourceRect,
                                DWORD flags, DDBLTFX* fx) {
    const RECT to = destRect != nullptr ? *destRect : Whole(*this);
    if (!Inside(to, width_, height_)) return DDERR_INVALIDRECT;
    if ((flags & DDBLT_COLORFILL) != 0) {
        if (fx == nullptr) return DDERR_INVALIDPARAMS;
        Fill(to, static_cast<BYTE>(fx->dwFillColor));
        return DD_OK;
    }
    if (source == nullptr) return DDERR_INVALIDPARAMS;
    const RECT from = sourceRect != nullptr ? *sourceRect : Whole(*source);
    if (!Inside(from, source->width_, source->height_)) return DDERR_INVALIDRECT;
    CopyRect(*this, to, *source, from, (flags & DDBLT_KEYSRC) != 0);
    return DD_OK;
}

BYTE* IDirectDrawSurface::Pixels() {
    memo_.Forget();
    return pixels_.data();
}

BYTE* IDirectDrawSurface::PixelsFor(const RECT& area) {
    memo_.Note({std::max<LONG>(area.left, 0), std::max<LONG>(area.top, 0),
                std::min<LONG>(area.right, width_), std::min<LONG>(area.bottom, height_)});
    return pixels_.data();
}

void IDirectDrawSurface::Fill(const RECT& area, BYTE value) {
    const RECT whole = Whole(*this);
    if (!Same(area, whole)) {
        FillBlock(Target(*this, area), value);
        return;
    }
    if (memo_.Holds(value)) {
        // Walked as a copy: each refill notes its rectangle in the memo itself.
        const FillMemo since = memo_;
        for (const RECT& written : since.Written()) FillBlock(Target(*this, written), value);
    } else {
        FillBlock(Target(*this, whole), value);
    }
    memo_.Filled(value);
}

HRESULT IDirectDrawSurface::Flip(IDirectDrawSurface* target, DWORD flags) {
    if (!primary_ || target != nullptr) return DDERR_INVALIDPARAMS;
    if (locked_ || back_->locked_) return DDERR_SURFACEBUSY;
    pixels_.swap(back_->pixels_);
    // What each buffer knew went with the other's pixels; not worth following.
    memo_.Forget();
    back_->memo_.Forget();
    ++presentedFrames;
    backend::Active().display.present(pixels_.data(), screenPalette);
    return DD_OK;
}

HRESULT IDirectDrawSurface::GetAttachedSurface(DDSCAPS* caps, IDirectDrawSurface** attached) {
    if (caps == nullptr || attached == nullptr) return DDERR_INVALIDPARAMS;
    if (!primary_ || (caps->dwCaps & DDSCAPS_BACKBUFFER) == 0) return DDERR_INVALIDPARAMS;
    // Not counted: the back buffer lives and dies with the primary.
    *attached = back_;
    return DD_OK;
}

HRESULT IDirectDrawSurface::GetDC(HDC* dc) {
    if (dc == nullptr) return DDERR_INVALIDPARAMS;
    if (dc_ != nullptr) return DDERR_SURFACEBUSY;
    dc_ = gdi::CreateSurfaceDC(this);
    *dc = dc_;
    return DD_OK;
}

HRESULT IDirectDrawSurface::ReleaseDC(HDC dc) {
    if (dc == nullptr || dc != dc_) return DDERR_INVALIDPARAMS;
    gdi::DeleteSurfaceDC(dc_);
    dc_ = nullptr;
    return DD_OK;
}

HRESULT IDirectDrawSurface::Lock(RECT* rect, DDSURFACEDESC* desc, DWORD flags, HANDLE event) {
    if (desc == nullptr) return DDERR_INVALIDPARAMS;
    if (locked_) return DDERR_SURFACEBUSY;
    const RECT area = rect != nullptr ? *rect : Whole(*this);
    if (!Inside(area, width_, height_)) return DDERR_INVALIDRECT;
    desc->dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_LPSURFACE;
    desc->dwWidth = static_cast<DWORD>(width_);
    desc->dwHeight = static_cast<DWORD>(height_);
    desc->lPitch = width_;
    desc->lpSurface = Pixels() + Offset(*this, area);
    locked_ = true;
    return DD_OK;
}

HRESULT IDirectDrawSurface::Unlock(void* rect) {
    if (!locked_) return DDERR_NOTLOCKED;
    locked_ = false;
    return DD_OK;
}

HRESULT IDirectDrawSurface::SetColorKey(DWORD flags, DDCOLORKEY* key) {
    if ((flags & DDCKEY_SRCBLT) == 0) return DDERR_INVALIDPARAMS;
    hasKey_ = key != nullptr;
    keyLow_ = hasKey_ ? key->dwColorSpaceLowValue : 0;
    keyHigh_ = hasKey_ ? key->dwColorSpaceHighValue : 0;
    return DD_OK;
}

HRESULT IDirectDrawSurface::SetPalette(IDirectDrawPalette* palette) {
    if (!primary_ || palette == nullptr) return DDERR_INVALIDPARAMS;
    palette->AddRef();
    if (palette_ != nullptr) palette_->Release();
    palette_ = palette;
    const PALETTEENTRY* entries = palette->Entries();
    for (int i = 0; i < 256; ++i) {
        screenPalette[i] = (std::uint32_t{entries[i].peRed} << 16) |
                           (std::uint32_t{entries[i].peGreen} << 8) | entries[i].peBlue;
    }
    // The picture already on screen changes colour at once.
    backend::Active().display.present(pixels_.data(), screenPalette);
    return DD_OK;
}

ULONG IDirectDraw::Release() {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

HRESULT IDirectDraw::SetCooperativeLevel(HWND hwnd, DWORD flags) {
    return DD_OK;
}

HRESULT IDirectDraw::SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel) {
    const bool supported = width == static_cast<DWORD>(SCREEN_WIDTH) &&
                           height == static_cast<DWORD>(SCREEN_HEIGHT) &&
                           bitsPerPixel == 8;
    return supported ? DD_OK : DDERR_INVALIDPARAMS;
}

HRESULT IDirectDraw::RestoreDisplayMode() {
    return DD_OK;
}

HRESULT IDirectDraw::CreateSurface(DDSURFACEDESC* desc, IDirectDrawSurface** surface, void* outer) {
    if (desc == nullptr || surface == nullptr) return DDERR_INVALIDPARAMS;
    *surface = nullptr;
    if ((desc->dwFlags & DDSD_CAPS) == 0) return DDERR_INVALIDPARAMS;
    if ((desc->ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE) != 0) {
        if ((desc->dwFlags & DDSD_BACKBUFFERCOUNT) == 0 || desc->dwBackBufferCount != 1) {
            return DDERR_INVALIDPARAMS;
        }
        *surface = new IDirectDrawSurface(SCREEN_WIDTH, SCREEN_HEIGHT, true);
        return DD_OK;
    }
    const DWORD sized = DDSD_WIDTH | DDSD_HEIGHT;
    if ((desc->dwFlags & sized) != sized) return DDERR_INVALIDPARAMS;
    const DWORD width = desc->dwWidth;
    const DWORD height = desc->dwHeight;
    if (width == 0 || height == 0 || width > MAX_SURFACE_SIDE || height > MAX_SURFACE_SIDE ||
        std::uint64_t{width} * height > MAX_SURFACE_PIXELS) {
        return DDERR_INVALIDPARAMS;
    }
    *surface = new IDirectDrawSurface(static_cast<int>(width), static_cast<int>(height), false);
    return DD_OK;
}

HRESULT IDirectDraw::CreatePalette(DWORD flags, PALETTEENTRY* entries, IDirectDrawPalette** palette,
                                   void* outer) {
    if (entries == nullptr || palette == nullptr) return DDERR_INVALIDPARAMS;
    *palette = new IDirectDrawPalette(entries);
    return DD_OK;
}

HRESULT DirectDrawCreate(void* guid, IDirectDraw** directDraw, void* outer) {
    if (directDraw == nullptr) return DDERR_INVALIDPARAMS;
    *directDraw = new IDirectDraw();
    return DD_OK;
}

const std::uint32_t* ScreenPalette() {
    return screenPalette;
}

std::uint64_t PresentedFrameCount() {
    return presentedFrames;
}
