// The overlay's text: our 5x8 pixel font, each row's runs of ink one rectangle.
#include "platform/overlay/overlay_text.h"

#include <cstdio>
#include <ctime>

#include "platform/host/font.h"

namespace overlay {

namespace {

constexpr int ADVANCE = font::GLYPH_WIDTH + 1;  // font pixels from one character to the next

}  // namespace

int TextWidth(const std::string& text, int scale) {
    return text.empty() ? 0 : (static_cast<int>(text.size()) * ADVANCE - 1) * scale;
}

void AddText(Picture* picture, const std::string& text, int x, int y, int scale, std::uint32_t argb) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::uint8_t* glyph = font::Glyph(text[i]);
        const int left = x + static_cast<int>(i) * ADVANCE * scale;
        for (int row = 0; row < font::GLYPH_HEIGHT; ++row) {
            for (int column = 0; column < font::GLYPH_WIDTH;) {
                const auto inked = [&](int c) { return ((glyph[row] >> (font::GLYPH_WIDTH - 1 - c)) & 1) != 0; };
                if (!inked(column)) {
                    ++column;
                    continue;
                }
                int end = column;
                while (end < font::GLYPH_WIDTH && inked(end)) ++end;
                picture->rects.push_back(Rect{static_cast<std::int16_t>(left + column * scale),
                                              static_cast<std::int16_t>(y + row * scale),
                                              static_cast<std::int16_t>((end - column) * scale),
                                              static_cast<std::int16_t>(scale), argb});
                column = end;
            }
        }
    }
}

std::string Seconds(std::uint32_t ms) {
    char text[24];
    std::snprintf(text, sizeof text, "%u.%02u s", ms / 1000, ms % 1000 / 10);
    return text;
}

std::string Day(std::int64_t utcSeconds) {
    if (utcSeconds <= 0) return {};
    const std::time_t time = static_cast<std::time_t>(utcSeconds);
    std::tm parts{};
    if (gmtime_r(&time, &parts) == nullptr) return {};
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", (parts.tm_year + 1900) % 10000, parts.tm_mon + 1,
                  parts.tm_mday);
    return text;
}

std::string Ordinal(int place) {
    static const char* const ORDINALS[] = {"1st", "2nd", "3rd", "4th", "5th"};
    return place >= 1 && place <= 5 ? ORDINALS[place - 1] : std::string();
}

}  // namespace overlay
