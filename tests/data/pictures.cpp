#include "tests/data/pictures.h"

#include <algorithm>

namespace datatest {

Picture LoadPicture(const char* gamePath) {
    Picture out;
    auto* bitmap = static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), gamePath,
                                                   IMAGE_BITMAP, 0, 0,
                                                   LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    EXPECT_NE(bitmap, nullptr) << gamePath;
    if (bitmap == nullptr) return out;
    BITMAP description{};
    GetObjectA(bitmap, sizeof description, &description);
    out.width = description.bmWidth;
    out.height = description.bmHeight;
    const auto* bits = static_cast<const std::uint8_t*>(description.bmBits);
    for (int y = 0; y < out.height; ++y) {
        const std::uint8_t* row = bits + static_cast<std::size_t>(y) * description.bmWidthBytes;
        out.pixels.insert(out.pixels.end(), row, row + out.width);
    }
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, bitmap);
    RGBQUAD table[256] = {};
    out.palette.assign(table, table + GetDIBColorTable(dc, 0, 256, table));
    DeleteDC(dc);
    DeleteObject(bitmap);
    return out;
}

int Art(const Picture& picture, RECT rect) {
    int count = 0;
    for (int y = std::max<int>(rect.top, 0); y < std::min<int>(rect.bottom, picture.height); ++y) {
        for (int x = std::max<int>(rect.left, 0); x < std::min<int>(rect.right, picture.width);
             ++x) {
            count += picture.At(x, y) != KEY;
        }
    }
    return count;
}

int ArtAround(const Picture& picture, RECT rect, const std::vector<RECT>& others) {
    auto inside = [](RECT r, int x, int y) {
        return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
    };
    int count = 0;
    for (int y = rect.top - 1; y <= rect.bottom; ++y) {
        for (int x = rect.left - 1; x <= rect.right; ++x) {
            count += x >= 0 && y >= 0 && x < picture.width && y < picture.height &&
                     !inside(rect, x, y) && picture.At(x, y) != KEY &&
                     std::none_of(others.begin(), others.end(),
                                  [&](RECT other) { return inside(other, x, y); });
        }
    }
    return count;
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

int Area(RECT rect) { return (rect.right - rect.left) * (rect.bottom - rect.top); }

std::string Describe(RECT rect) {
    return "(" + std::to_string(rect.left) + ", " + std::to_string(rect.top) + ", " +
           std::to_string(rect.right) + ", " + std::to_string(rect.bottom) + ")";
}

}  // namespace datatest
