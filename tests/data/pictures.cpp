#include "tests/data/pictures.h"

#include <algorithm>
#include <cstring>

namespace datatest {

namespace {

bool Inside(RECT rect, int x, int y) {
    return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}

}  // namespace

bool LoadPicture(const char* gamePath, Picture* out) {
    auto* bitmap = static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), gamePath,
                                                   IMAGE_BITMAP, 0, 0,
                                                   LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (bitmap == nullptr) return false;
    BITMAP description{};
    GetObjectA(bitmap, sizeof description, &description);
    out->width = description.bmWidth;
    out->height = description.bmHeight;
    out->pixels.assign(static_cast<std::size_t>(out->width) * out->height, 0);
    const auto* bits = static_cast<const std::uint8_t*>(description.bmBits);
    for (int y = 0; y < out->height; ++y) {
        std::memcpy(&out->pixels[static_cast<std::size_t>(y) * out->width],
                    bits + static_cast<std::size_t>(y) * description.bmWidthBytes,
                    static_cast<std::size_t>(out->width));
    }
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, bitmap);
    RGBQUAD table[256] = {};
    const UINT entries = GetDIBColorTable(dc, 0, 256, table);
    out->palette.assign(table, table + entries);
    DeleteDC(dc);
    DeleteObject(bitmap);
    return true;
}

int PicturePixels(const Picture& picture, RECT rect) {
    int count = 0;
    for (int y = std::max<int>(rect.top, 0); y < std::min<int>(rect.bottom, picture.height); ++y) {
        for (int x = std::max<int>(rect.left, 0); x < std::min<int>(rect.right, picture.width);
             ++x) {
            if (picture.At(x, y) != KEY) ++count;
        }
    }
    return count;
}

bool MarginIsKey(const Picture& picture, RECT rect) {
    const RECT inner{rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1};
    return PicturePixels(picture, rect) == PicturePixels(picture, inner);
}

std::vector<std::string> ArtAround(const Picture& picture, RECT rect,
                                   std::initializer_list<RECT> others) {
    std::vector<std::string> found;
    for (int y = rect.top - 1; y <= rect.bottom; ++y) {
        for (int x = rect.left - 1; x <= rect.right; ++x) {
            if (Inside(rect, x, y) || x < 0 || y < 0 || x >= picture.width ||
                y >= picture.height || picture.At(x, y) == KEY) {
                continue;
            }
            if (std::none_of(others.begin(), others.end(),
                             [&](RECT other) { return Inside(other, x, y); })) {
                found.push_back("(" + std::to_string(x) + "," + std::to_string(y) + ")");
            }
        }
    }
    return found;
}

bool SameCells(const Picture& picture, RECT a, RECT b) {
    for (int y = 0; y < a.bottom - a.top; ++y) {
        for (int x = 0; x < a.right - a.left; ++x) {
            if (picture.At(a.left + x, a.top + y) != picture.At(b.left + x, b.top + y)) {
                return false;
            }
        }
    }
    return true;
}

std::string Describe(RECT rect) {
    return "(" + std::to_string(rect.left) + ", " + std::to_string(rect.top) + ", " +
           std::to_string(rect.right) + ", " + std::to_string(rect.bottom) + ")";
}

}  // namespace datatest
