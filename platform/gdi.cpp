#include "platform/gdi.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "platform/gdi_internal.h"
#include "platform/host/files.h"
#include "platform/host/font.h"

namespace {

// Bitmap files larger than this are refused before anything is allocated; the game's
// largest picture (960x2000) takes under 2 MB.
constexpr long MAX_BITMAP_FILE = 64L << 20;
constexpr std::int32_t MAX_BITMAP_SIDE = 32768;
constexpr std::size_t FILE_HEADER_SIZE = 14;
constexpr std::uint32_t INFO_HEADER_SIZE = 40;

constexpr int CELL_WIDTH = 7;
constexpr int CELL_HEIGHT = 16;

GdiObject whiteBrush{GdiObject::Kind::Brush, 0, 0, {}, {}, RGB(255, 255, 255), true, 0};

// Where a device context draws: a surface, or the bitmap selected into a memory context.
// Const for reading.
template <typename Pixel>
struct Canvas {
    Pixel* pixels = nullptr;
    int width = 0;
    int height = 0;

    Pixel* Row(std::int64_t y) const {
        return pixels + y * width;
    }
};
using Picture = Canvas<const BYTE>;
using Target = Canvas<BYTE>;

bool PictureOf(HDC dc, Picture* picture) {
    if (dc == nullptr) return false;
    if (dc->surface != nullptr) {
        const IDirectDrawSurface& surface = *dc->surface;
        *picture = {surface.Pixels(), surface.Width(), surface.Height()};
        return true;
    }
    if (dc->bitmap != nullptr) {
        *picture = {dc->bitmap->pixels.data(), dc->bitmap->width, dc->bitmap->height};
        return true;
    }
    return false;
}

// For a drawing that writes only inside the rectangle left..right x top..bottom: a surface
// notes it, so its next whole fill knows what to redo.
bool TargetOf(HDC dc, std::int64_t left, std::int64_t top, std::int64_t right,
              std::int64_t bottom, Target* target) {
    Picture picture;
    if (!PictureOf(dc, &picture)) return false;
    const auto cut = [](std::int64_t v) {
        return static_cast<LONG>(std::clamp<std::int64_t>(v, 0, std::numeric_limits<LONG>::max()));
    };
    BYTE* pixels = dc->surface != nullptr
                       ? dc->surface->PixelsFor({cut(left), cut(top), cut(right), cut(bottom)})
                       : dc->bitmap->pixels.data();
    *target = {pixels, picture.width, picture.height};
    return true;
}

void Hold(GdiObject* object) {
    if (object != nullptr) ++object->selections;
}

void Drop(GdiObject* object) {
    if (object != nullptr) --object->selections;
}

// The nearest entry of the screen palette; the first of equally near entries wins.
BYTE NearestIndex(COLORREF color) {
    const std::uint32_t* palette = ScreenPalette();
    const int red = static_cast<int>(color & 0xFF);
    const int green = static_cast<int>((color >> 8) & 0xFF);
    const int blue = static_cast<int>((color >> 16) & 0xFF);
    int best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (int i = 0; i < 256 && bestDistance > 0; ++i) {
        const int dr = static_cast<int>((palette[i] >> 16) & 0xFF) - red;
        const int dg = static_cast<int>((palette[i] >> 8) & 0xFF) - green;
        const int db = static_cast<int>(palette[i] & 0xFF) - blue;
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return static_cast<BYTE>(best);
}

std::uint32_t Read16(const std::vector<BYTE>& data, std::size_t at) {
    return data[at] | (std::uint32_t{data[at + 1]} << 8);
}

std::uint32_t Read32(const std::vector<BYTE>& data, std::size_t at) {
    return Read16(data, at) | (Read16(data, at + 2) << 16);
}

bool ReadWholeFile(const char* path, std::vector<BYTE>* data) {
    std::FILE* file = OpenGameFile(path, "rb");
    if (file == nullptr) return false;
    bool ok = std::fseek(file, 0, SEEK_END) == 0;
    const long size = ok ? std::ftell(file) : -1;
    ok = size >= 0 && size <= MAX_BITMAP_FILE && std::fseek(file, 0, SEEK_SET) == 0;
    if (ok) {
        data->resize(static_cast<std::size_t>(size));
        ok = std::fread(data->data(), 1, data->size(), file) == data->size();
    }
    std::fclose(file);
    return ok;
}

// An uncompressed 8-bit BMP with a BITMAPINFOHEADER or a later version of it; every size
// and offset is checked against the file before it is used.
GdiObject* DecodeBmp(const std::vector<BYTE>& file) {
    if (file.size() < FILE_HEADER_SIZE + INFO_HEADER_SIZE || file[0] != 'B' || file[1] != 'M') {
        return nullptr;
    }
    const std::uint32_t dataOffset = Read32(file, 10);
    const std::uint32_t headerSize = Read32(file, 14);
    const auto width = static_cast<std::int32_t>(Read32(file, 18));
    const auto height = static_cast<std::int32_t>(Read32(file, 22));
    const std::uint32_t planes = Read16(file, 26);
    const std::uint32_t bitsPerPixel = Read16(file, 28);
    const std::uint32_t compression = Read32(file, 30);
    const std::uint32_t colorsUsed = Read32(file, 46);
    if (headerSize < INFO_HEADER_SIZE || headerSize > file.size() - FILE_HEADER_SIZE) {
        return nullptr;
    }
    if (planes != 1 || bitsPerPixel != 8 || compression != 0) return nullptr;
    if (width <= 0 || width > MAX_BITMAP_SIDE || height == 0 || height < -MAX_BITMAP_SIDE ||
        height > MAX_BITMAP_SIDE) {
        return nullptr;
    }
    const std::size_t colorCount = colorsUsed == 0 ? 256 : colorsUsed;
    const std::size_t tableOffset = FILE_HEADER_SIZE + headerSize;
    if (colorCount > 256 || tableOffset + colorCount * 4 > file.size()) return nullptr;
    const int rows = std::abs(height);
    const std::size_t stride = (static_cast<std::size_t>(width) + 3) & ~std::size_t{3};
    if (dataOffset < tableOffset + colorCount * 4 || dataOffset > file.size() ||
        stride * static_cast<std::size_t>(rows) > file.size() - dataOffset) {
        return nullptr;
    }

    auto* bitmap = new GdiObject{GdiObject::Kind::Bitmap, 0, 0, {}, {}, 0, false, 0};
    bitmap->width = width;
    bitmap->height = rows;
    bitmap->colors.resize(colorCount);
    for (std::size_t i = 0; i < colorCount; ++i) {
        const BYTE* quad = &file[tableOffset + i * 4];
        bitmap->colors[i] = {quad[0], quad[1], quad[2], quad[3]};
    }
    bitmap->pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(rows));
    for (int row = 0; row < rows; ++row) {
        // A positive height stores the rows bottom-up.
        const int fileRow = height > 0 ? rows - 1 - row : row;
        std::memcpy(&bitmap->pixels[static_cast<std::size_t>(row) * width],
                    &file[dataOffset + static_cast<std::size_t>(fileRow) * stride],
                    static_cast<std::size_t>(width));
    }
    return bitmap;
}

// Sets the pixels first..last of a row, cut to the canvas.
void PaintRun(const Target& canvas, std::int64_t y, std::int64_t first, std::int64_t last,
              BYTE index) {
    first = std::max<std::int64_t>(first, 0);
    last = std::min<std::int64_t>(last, canvas.width - 1);
    if (first > last) return;
    std::memset(canvas.Row(y) + first, index, static_cast<std::size_t>(last - first + 1));
}

// The pixels of one row of an ellipse: those whose centres lie inside it. Empty when
// first > last.
struct Span {
    std::int64_t first;
    std::int64_t last;
};

struct EllipseBox {
    double centreX;
    double centreY;
    double radiusX;
    double radiusY;

    Span Row(std::int64_t y) const {
        const double dy = (static_cast<double>(y) + 0.5 - centreY) / radiusY;
        if (dy * dy > 1.0) return {1, 0};
        const double half = radiusX * std::sqrt(1.0 - dy * dy);
        return {static_cast<std::int64_t>(std::ceil(centreX - half - 0.5)),
                static_cast<std::int64_t>(std::floor(centreX + half - 0.5))};
    }
};

// The part of a row's span that its neighbour row does not cover lies on the outline.
void PaintUncovered(const Target& canvas, std::int64_t y, Span span, Span neighbour, BYTE index) {
    if (neighbour.first > neighbour.last) {
        PaintRun(canvas, y, span.first, span.last, index);
        return;
    }
    PaintRun(canvas, y, span.first, std::min(span.last, neighbour.first - 1), index);
    PaintRun(canvas, y, std::max(span.first, neighbour.last + 1), span.last, index);
}

void DrawGlyph(const Target& canvas, std::int64_t left, std::int64_t top, char c, BYTE ink,
               BYTE paper) {
    const std::uint8_t* glyph = font::Glyph(c);
    for (int row = 0; row < CELL_HEIGHT; ++row) {
        const std::int64_t y = top + row;
        if (y < 0 || y >= canvas.height) continue;
        // Bold: every column also inks the one to its right, so a glyph spans columns 0-5
        // (bit 5 - column) and column 6 spaces the characters.
        const unsigned bits = glyph[row / 2];
        const unsigned bold = (bits << 1) | bits;
        for (int column = 0; column < CELL_WIDTH; ++column) {
            const std::int64_t x = left + column;
            if (x < 0 || x >= canvas.width) continue;
            const bool inked = column < 6 && ((bold >> (5 - column)) & 1) != 0;
            canvas.Row(y)[x] = inked ? ink : paper;
        }
    }
}

}  // namespace

namespace gdi {

HDC CreateSurfaceDC(IDirectDrawSurface* surface) {
    HDC dc = new HDC__{surface, nullptr, &whiteBrush};
    Hold(dc->brush);
    return dc;
}

void DeleteSurfaceDC(HDC dc) {
    Drop(dc->brush);
    delete dc;
}

}  // namespace gdi

HANDLE LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int width, int height, UINT flags) {
    if (name == nullptr || type != IMAGE_BITMAP || (flags & LR_LOADFROMFILE) == 0 || width != 0 ||
        height != 0) {
        return nullptr;
    }
    std::vector<BYTE> file;
    if (!ReadWholeFile(name, &file)) return nullptr;
    return DecodeBmp(file);
}

int GetObjectA(HANDLE object, int size, void* out) {
    auto* bitmap = static_cast<GdiObject*>(object);
    if (bitmap == nullptr || bitmap->kind != GdiObject::Kind::Bitmap) return 0;
    if (out == nullptr) return sizeof(BITMAP);
    // Rows top to bottom, `width` bytes apart.
    BITMAP description{};
    description.bmWidth = bitmap->width;
    description.bmHeight = bitmap->height;
    description.bmWidthBytes = bitmap->width;
    description.bmPlanes = 1;
    description.bmBitsPixel = 8;
    description.bmBits = bitmap->pixels.data();
    const int copied = std::clamp(size, 0, static_cast<int>(sizeof(BITMAP)));
    std::memcpy(out, &description, static_cast<std::size_t>(copied));
    return copied;
}

HGDIOBJ GetStockObject(int object) {
    return object == WHITE_BRUSH ? &whiteBrush : nullptr;
}

HDC CreateCompatibleDC(HDC dc) {
    HDC memory = new HDC__{nullptr, nullptr, &whiteBrush};
    Hold(memory->brush);
    return memory;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
    if (dc == nullptr || object == nullptr) return nullptr;
    GdiObject** slot = object->kind == GdiObject::Kind::Brush ? &dc->brush : &dc->bitmap;
    // A surface's device context draws on the surface; no bitmap goes into it.
    if (slot == &dc->bitmap && dc->surface != nullptr) return nullptr;
    GdiObject* previous = *slot;
    Hold(object);
    Drop(previous);
    *slot = object;
    return previous;
}

UINT GetDIBColorTable(HDC dc, UINT start, UINT count, RGBQUAD* colors) {
    if (dc == nullptr || dc->bitmap == nullptr || colors == nullptr) return 0;
    const std::vector<RGBQUAD>& table = dc->bitmap->colors;
    if (start >= table.size()) return 0;
    const UINT copied = std::min<UINT>(count, static_cast<UINT>(table.size()) - start);
    std::copy_n(table.begin() + start, copied, colors);
    return copied;
}

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
            DWORD rop) {
    Picture size;
    Picture from;
    if (rop != SRCCOPY || width < 0 || height < 0 || !PictureOf(dest, &size) ||
        !PictureOf(source, &from)) {
        return FALSE;
    }
    // Cut the copy to both device contexts: first their left and top edges, then the rest.
    std::int64_t toX = x, toY = y, fromX = sourceX, fromY = sourceY, w = width, h = height;
    if (toX < 0) {
        w += toX;
        fromX -= toX;
        toX = 0;
    }
    if (fromX < 0) {
        w += fromX;
        toX -= fromX;
        fromX = 0;
    }
    if (toY < 0) {
        h += toY;
        fromY -= toY;
        toY = 0;
    }
    if (fromY < 0) {
        h += fromY;
        toY -= fromY;
        fromY = 0;
    }
    w = std::min({w, size.width - toX, from.width - fromX});
    h = std::min({h, size.height - toY, from.height - fromY});
    if (w <= 0 || h <= 0) return TRUE;
    Target to;
    TargetOf(dest, toX, toY, toX + w, toY + h, &to);
    // Within one picture, copy rows in the order that reads each before it is overwritten.
    const bool upward = to.pixels == from.pixels && toY > fromY;
    for (std::int64_t i = 0; i < h; ++i) {
        const std::int64_t row = upward ? h - 1 - i : i;
        std::memmove(to.Row(toY + row) + toX, from.Row(fromY + row) + fromX,
                     static_cast<std::size_t>(w));
    }
    return TRUE;
}

BOOL DeleteDC(HDC dc) {
    // A surface's device context goes back through IDirectDrawSurface::ReleaseDC.
    if (dc == nullptr || dc->surface != nullptr) return FALSE;
    Drop(dc->bitmap);
    Drop(dc->brush);
    delete dc;
    return TRUE;
}

BOOL DeleteObject(HGDIOBJ object) {
    if (object == nullptr) return FALSE;
    if (object->stock) return TRUE;
    if (object->selections > 0) return FALSE;
    delete object;
    return TRUE;
}

HBRUSH CreateSolidBrush(COLORREF color) {
    return new GdiObject{GdiObject::Kind::Brush, 0, 0, {}, {}, color, false, 0};
}

BOOL Ellipse(HDC dc, int left, int top, int right, int bottom) {
    const std::int64_t x0 = std::min(left, right), x1 = std::max(left, right);
    const std::int64_t y0 = std::min(top, bottom), y1 = std::max(top, bottom);
    // Every pixel drawn lies in the bounding box's columns x0..x1-1 and rows y0..y1-1.
    Target canvas;
    if (!TargetOf(dc, x0, y0, x1, y1, &canvas)) return FALSE;
    if (x0 == x1 || y0 == y1) return TRUE;
    const EllipseBox box{(static_cast<double>(x0) + static_cast<double>(x1)) / 2.0,
                         (static_cast<double>(y0) + static_cast<double>(y1)) / 2.0,
                         static_cast<double>(x1 - x0) / 2.0, static_cast<double>(y1 - y0) / 2.0};
    const BYTE outline = NearestIndex(RGB(0, 0, 0));
    const BYTE fill = NearestIndex(dc->brush != nullptr ? dc->brush->color : RGB(255, 255, 255));
    const std::int64_t firstRow = std::max<std::int64_t>(y0, 0);
    const std::int64_t lastRow = std::min<std::int64_t>(y1, canvas.height) - 1;
    for (std::int64_t y = firstRow; y <= lastRow; ++y) {
        const Span span = box.Row(y);
        if (span.first > span.last) continue;
        // A pixel of the disc with a 4-neighbour outside it belongs to the outline.
        PaintRun(canvas, y, span.first, span.last, fill);
        PaintUncovered(canvas, y, span, box.Row(y - 1), outline);
        PaintUncovered(canvas, y, span, box.Row(y + 1), outline);
        PaintRun(canvas, y, span.first, span.first, outline);
        PaintRun(canvas, y, span.last, span.last, outline);
    }
    return TRUE;
}

BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int length) {
    if (text == nullptr || length < 0) return FALSE;
    Target canvas;
    if (!TargetOf(dc, x, y, std::int64_t{x} + std::int64_t{length} * CELL_WIDTH,
                  std::int64_t{y} + CELL_HEIGHT, &canvas)) {
        return FALSE;
    }
    const BYTE ink = NearestIndex(RGB(0, 0, 0));
    const BYTE paper = NearestIndex(RGB(255, 255, 255));
    for (int i = 0; i < length; ++i) {
        const std::int64_t left = std::int64_t{x} + std::int64_t{i} * CELL_WIDTH;
        if (left >= canvas.width) break;
        DrawGlyph(canvas, left, y, text[i], ink, paper);
    }
    return TRUE;
}
