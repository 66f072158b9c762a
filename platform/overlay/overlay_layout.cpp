// Where the overlay goes on each screen, in 640x480 picture coordinates, clear of what the
// game draws that matters: in play the strip right of the view below the map overview
// (the countdown is above it), on the results the empty band under the three rows, on the
// ranking the blank parchment above the columns and the floor under the scroll.
#include <algorithm>

#include "platform/overlay/overlay.h"
#include "platform/overlay/overlay_text.h"

namespace overlay {

namespace {

constexpr std::uint32_t SHADE = 0xA0000000u;
constexpr std::uint32_t INK = 0xFFFFFFFFu;
constexpr std::uint32_t LABEL = 0xFFA8B0C0u;
constexpr std::uint32_t GOLD = 0xFFFFD040u;
constexpr std::uint32_t GHOST_ALPHA = 0x80000000u;
constexpr int PICTURE_WIDTH = 640;
constexpr int PAD = 6;

// The strip right of the play view, under the map overview.
constexpr int STRIP_LEFT = 516;
constexpr int STRIP_TOP = 192;
constexpr int STRIP_WIDTH = 120;
constexpr int PLAY_VIEW_WIDTH = 512;

// The ranking picture's number columns (entry i at 370 - 60 i) and the list above them.
constexpr int COLUMN_LEFT = 370;
constexpr int COLUMN_STEP = -60;
constexpr int COLUMN_TOP = 226;
constexpr int COLUMN_BOTTOM = 408;
constexpr int COLUMN_WIDTH = 44;
constexpr int LIST_LEFT = 64;
constexpr int LIST_NAME_LEFT = LIST_LEFT + 18;
constexpr int LIST_DAY_LEFT = LIST_NAME_LEFT + NAME_LIMIT * 12 + 6;
constexpr int LIST_RIGHT = LIST_DAY_LEFT + 10 * 12 - 2;
constexpr int LIST_TOP = 64;
constexpr int LIST_LINE = 21;
constexpr int NOTE_TOP = 446;

void Box(Picture* picture, int x, int y, int w, int h, std::uint32_t argb) {
    picture->rects.push_back(
        Rect{static_cast<std::int16_t>(x), static_cast<std::int16_t>(y), static_cast<std::int16_t>(w),
             static_cast<std::int16_t>(h), argb});
}

// A line centred on `centre`, over a shaded box of its own.
void CentredLine(Picture* picture, const std::string& text, int centre, int y, int scale, std::uint32_t argb) {
    const int width = TextWidth(text, scale);
    Box(picture, centre - width / 2 - PAD, y - PAD, width + 2 * PAD, TextHeight(scale) + PAD, SHADE);
    AddText(picture, text, centre - width / 2, y, scale, argb);
}

void Outline(Picture* picture, int x, int y, int w, int h, int thickness, std::uint32_t argb) {
    Box(picture, x, y, w, thickness, argb);
    Box(picture, x, y + h - thickness, w, thickness, argb);
    Box(picture, x, y + thickness, thickness, h - 2 * thickness, argb);
    Box(picture, x + w - thickness, y + thickness, thickness, h - 2 * thickness, argb);
}

// The best run's hero, half seen through: each row's runs of one colour as a rectangle.
void LayGhost(const Ghost& ghost, Picture* picture) {
    constexpr int CELL = 64;
    for (int row = 0; row < CELL; ++row) {
        const std::uint8_t* pixels = ghost.cell + row * ghost.pitch;
        const int y = ghost.top + row;
        for (int column = 0; column < CELL;) {
            const std::uint8_t index = pixels[column];
            int end = column + 1;
            while (end < CELL && pixels[end] == index) ++end;
            // The play view only: the strip beside it holds the countdown and the overview.
            const int left = std::max(ghost.left + column, 0);
            const int right = std::min(ghost.left + end, PLAY_VIEW_WIDTH);
            if (index != ghost.key && left < right) {
                Box(picture, left, y, right - left, 1, GHOST_ALPHA | (ghost.palette[index] & 0xFFFFFFu));
            }
            column = end;
        }
    }
}

void LayPlay(const View& view, Picture* picture) {
    if (view.ghost.shown && view.ghost.cell != nullptr && view.ghost.palette != nullptr) LayGhost(view.ghost, picture);
    int y = STRIP_TOP;
    Box(picture, STRIP_LEFT, y, STRIP_WIDTH, 160, SHADE);
    const int x = STRIP_LEFT + PAD;
    y += PAD;
    AddText(picture, "SCORE", x, y, 2, LABEL);
    AddText(picture, std::to_string(view.score), x, y + 18, 3, view.score > 0 ? INK : LABEL);
    AddText(picture, Seconds(view.playTimeMs), x, y + 46, 2, INK);
    AddText(picture, "BEST", x, y + 70, 2, LABEL);
    std::string best = "none yet";
    if (view.bestTimeMs > 0) best = view.bestScore > 0 ? std::to_string(view.bestScore) : Seconds(view.bestTimeMs);
    AddText(picture, best, x, y + 88, 2, INK);
    AddText(picture, "KILLS LEFT", x, y + 112, 2, LABEL);
    AddText(picture, std::to_string(view.killsLeft), x, y + 130, 2, INK);
}

void LayResults(const View& view, Picture* picture) {
    constexpr int CENTRE = PICTURE_WIDTH / 2;
    if (!view.cleared) return;
    int y = 372;
    if (view.newBest) {
        CentredLine(picture, "NEW BEST", CENTRE, y, 3, GOLD);
        y += 38;
    }
    std::string place = Ordinal(view.place) + " place";
    if (view.score == 0) {
        place = "not ranked: over 6 s";
    } else if (view.place == 0) {
        place = "not ranked";
    }
    CentredLine(picture, place, CENTRE, y, 2, view.place > 0 && view.score > 0 ? GOLD : INK);
}

void LayRanking(const View& view, Picture* picture) {
    if (view.marked >= 1 && view.marked <= 5) {
        const int left = COLUMN_LEFT + COLUMN_STEP * (view.marked - 1) - (COLUMN_WIDTH - 40) / 2 - 2;
        Outline(picture, left, COLUMN_TOP, COLUMN_WIDTH, COLUMN_BOTTOM - COLUMN_TOP, 3, GOLD);
    }
    bool any = false;
    for (const Signature& entry : view.entries) any = any || !entry.name.empty();
    if (!any) return;
    Box(picture, LIST_LEFT - PAD, LIST_TOP - PAD, LIST_RIGHT - LIST_LEFT + 2 * PAD, 5 * LIST_LINE + PAD, SHADE);
    for (int i = 0; i < 5; ++i) {
        const Signature& entry = view.entries[i];
        const int y = LIST_TOP + i * LIST_LINE;
        const std::uint32_t ink = view.marked == i + 1 ? GOLD : INK;
        AddText(picture, std::to_string(i + 1), LIST_LEFT, y, 2, LABEL);
        AddText(picture, entry.name.substr(0, NAME_LIMIT), LIST_NAME_LEFT, y, 2, ink);
        AddText(picture, Day(entry.date), LIST_DAY_LEFT, y, 2, ink);
    }
}

void LayCaption(const View& view, Picture* picture) {
    std::string caption = "REPLAY";
    if (!view.classic && !view.replayOf.name.empty()) caption += "  " + view.replayOf.name;
    if (!view.classic && view.replayOf.date != 0) caption += "  " + Day(view.replayOf.date);
    CentredLine(picture, caption, view.screen == Screen::Play ? PLAY_VIEW_WIDTH / 2 : PICTURE_WIDTH / 2, 8, 2, GOLD);
}

}  // namespace

void Lay(const View& view, Picture* picture) {
    picture->rects.clear();
    if (!view.classic) {
        if (view.screen == Screen::Play) LayPlay(view, picture);
        if (view.screen == Screen::Results) LayResults(view, picture);
        if (view.screen == Screen::Ranking) LayRanking(view, picture);
    }
    if (view.replay) LayCaption(view, picture);
    if (!view.note.empty()) CentredLine(picture, view.note, PICTURE_WIDTH / 2, NOTE_TOP, 2, INK);
    picture->top = 0;
    picture->bottom = 0;
    if (picture->rects.empty()) return;
    int top = picture->rects.front().y;
    int bottom = top;
    for (const Rect& rect : picture->rects) {
        top = std::min<int>(top, rect.y);
        bottom = std::max<int>(bottom, rect.y + rect.h);
    }
    picture->top = std::clamp(top, 0, 480);
    picture->bottom = std::clamp(bottom, 0, 480);
}

}  // namespace overlay
