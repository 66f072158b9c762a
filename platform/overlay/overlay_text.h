// Text for the overlay: lines in our pixel font as rectangles, and the few ways it writes
// numbers, times and dates.
#pragma once

#include <cstdint>
#include <string>

#include "platform/overlay/overlay.h"

namespace overlay {

// Width in picture pixels of a line at `scale` (font pixels of scale x scale).
int TextWidth(const std::string& text, int scale);
constexpr int TextHeight(int scale) { return 8 * scale; }

// Adds the line's inked pixels, runs of a row as one rectangle each.
void AddText(Picture* picture, const std::string& text, int x, int y, int scale, std::uint32_t argb);

// "2.43 s", "56.80 s": seconds with hundredths.
std::string Seconds(std::uint32_t ms);
// "2026-12-08" (UTC); empty for 0.
std::string Day(std::int64_t utcSeconds);
// "1st", "2nd", "3rd", "4th", "5th".
std::string Ordinal(int place);

}  // namespace overlay
