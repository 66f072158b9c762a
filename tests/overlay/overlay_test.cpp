// The overlay's layout and its drawing into 32-bit pixels: what it covers on each screen,
// what --classic leaves, the ghost, and the blend at a scale.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "platform/overlay/overlay.h"
#include "platform/overlay/overlay_text.h"

namespace {

using overlay::Picture;
using overlay::Rect;
using overlay::Screen;
using overlay::View;

bool Overlaps(const Rect& r, int left, int top, int right, int bottom) {
    return r.x < right && r.x + r.w > left && r.y < bottom && r.y + r.h > top;
}

Picture Laid(const View& view) {
    Picture picture;
    overlay::Lay(view, &picture);
    return picture;
}

// Where the picture holds the line as AddText lays it (its rectangles in a row, moved
// as one), at or after rectangle `from`, and in which colour; found false when it does not.
struct Found {
    bool found = false;
    int x = 0, y = 0;  // where AddText was given the line
    std::uint32_t argb = 0;
    std::size_t begin = 0, end = 0;  // its first rectangle and the one after it
};

Found Where(const Picture& picture, const std::string& text, int scale, std::size_t from = 0) {
    Picture line;
    overlay::AddText(&line, text, 0, 0, scale, 0);
    const std::vector<Rect>& r = picture.rects;
    for (std::size_t i = from; i + line.rects.size() <= r.size(); ++i) {
        const int dx = r[i].x - line.rects[0].x, dy = r[i].y - line.rects[0].y;
        bool same = true;
        for (std::size_t k = 0; k < line.rects.size() && same; ++k) {
            const Rect& a = r[i + k];
            const Rect& b = line.rects[k];
            same = a.x - b.x == dx && a.y - b.y == dy && a.w == b.w && a.h == b.h && a.argb == r[i].argb;
        }
        if (same) return {true, dx, dy, r[i].argb, i, i + line.rects.size()};
    }
    return {};
}

View PlayView() {
    View view;
    view.screen = Screen::Play;
    view.playTimeMs = 1234;
    view.score = 4766;
    view.killsLeft = 3;
    view.bestTimeMs = 40100;
    return view;
}

TEST(OverlayLayout, PlayCoversNeitherTheCountdownNorTheOverviewNorThePlayView) {
    const Picture picture = Laid(PlayView());
    ASSERT_FALSE(picture.rects.empty());
    for (const Rect& r : picture.rects) {
        EXPECT_FALSE(Overlaps(r, 512, 0, 640, 32)) << r.x << "," << r.y;     // the countdown
        EXPECT_FALSE(Overlaps(r, 560, 120, 640, 180)) << r.x << "," << r.y;  // the overview
        EXPECT_FALSE(Overlaps(r, 0, 0, 512, 480)) << r.x << "," << r.y;      // the play view
        EXPECT_LE(r.x + r.w, 640);
    }
    EXPECT_GE(picture.top, 180);
    EXPECT_LE(picture.bottom, 480);
}

// The strip reads from the top: the score, the time, the best, the kills left.
TEST(OverlayLayout, PlayListsItsFiguresDownTheStrip) {
    const Picture picture = Laid(PlayView());
    Found above;
    for (const char* text : {"SCORE", "4766", "1.23 s", "BEST", "40.10 s", "KILLS LEFT", "3"}) {
        const Found line = Where(picture, text, std::string(text) == "4766" ? 3 : 2, above.end);
        ASSERT_TRUE(line.found) << text;
        EXPECT_GT(line.y, above.y) << text;
        above = line;
    }
}

TEST(OverlayLayout, ClassicLeavesOnlyTheReplayCaptionAndNotes) {
    View view = PlayView();
    view.classic = true;
    view.ghost.shown = true;
    EXPECT_TRUE(Laid(view).rects.empty());

    view.screen = Screen::Ranking;
    view.entries[0].name = "ALICE";
    view.marked = 1;
    EXPECT_TRUE(Laid(view).rects.empty());

    view.note = "No run kept for 2nd place";
    view.replay = true;
    view.replayOf.name = "ALICE";
    const Picture withNote = Laid(view);
    EXPECT_FALSE(withNote.rects.empty());
    // The caption without the name: only "REPLAY" and the note, no wider than they are.
    View captionOnly = view;
    captionOnly.replayOf.name.clear();
    EXPECT_EQ(Laid(captionOnly).rects.size(), withNote.rects.size());
    // Laid again into the same picture, the same.
    Picture again = withNote;
    overlay::Lay(view, &again);
    EXPECT_EQ(again.rects.size(), withNote.rects.size());
    // The caption is centred over the play view in play, over the picture elsewhere.
    const int width = overlay::TextWidth("REPLAY", 2);
    captionOnly.note.clear();
    EXPECT_EQ(Where(Laid(captionOnly), "REPLAY", 2).x, 320 - width / 2);
    captionOnly.screen = Screen::Play;
    EXPECT_EQ(Where(Laid(captionOnly), "REPLAY", 2).x, 256 - width / 2);
}

TEST(OverlayLayout, ResultsSayNewBestAndThePlaceUnderTheFigures) {
    View view;
    view.screen = Screen::Results;
    view.cleared = true;
    view.score = 3439;
    view.place = 2;
    const Picture placeOnly = Laid(view);
    view.newBest = true;
    const Picture withBest = Laid(view);
    EXPECT_GT(withBest.rects.size(), placeOnly.rects.size());
    for (const Rect& r : withBest.rects) EXPECT_FALSE(Overlaps(r, 200, 100, 520, 330)) << r.x << "," << r.y;

    const Found place = Where(withBest, "2nd place", 2);
    EXPECT_EQ(place.argb, 0xFFFFD040u) << "a place is gold";
    EXPECT_GT(place.y, Where(withBest, "NEW BEST", 3).y + 24) << "under the line above";
    // Centred on the picture over a shaded box of its own.
    const Rect& box = withBest.rects[place.begin - 1];
    const int left = place.x, right = left + overlay::TextWidth("2nd place", 2);
    EXPECT_EQ(left - box.x, box.x + box.w - right);
    EXPECT_NEAR(left + right, 640, 1);
    view.place = 0;
    EXPECT_EQ(Where(Laid(view), "not ranked", 2).argb, 0xFFFFFFFFu);
    view.score = 0;
    EXPECT_TRUE(Where(Laid(view), "not ranked: over 6 s", 2).found);

    // Not after a clear (the A shortcut): nothing.
    view.cleared = false;
    EXPECT_TRUE(Laid(view).rects.empty());
}

TEST(OverlayLayout, RankingMarksTheNewEntrysColumnAndListsNamesAboveTheColumns) {
    View view;
    view.screen = Screen::Ranking;
    view.marked = 3;
    const Picture marked = Laid(view);
    ASSERT_EQ(marked.rects.size(), 4u);  // the outline round the column at x 250
    for (const Rect& r : marked.rects) {
        EXPECT_GE(r.x, 240);
        EXPECT_LE(r.x + r.w, 300);
    }
    // A closed frame: the sides run from under the top bar to the bottom bar.
    const Rect &top = marked.rects[0], &bottom = marked.rects[1];
    for (const Rect& side : {marked.rects[2], marked.rects[3]}) {
        EXPECT_EQ(side.y, top.y + top.h);
        EXPECT_EQ(side.y + side.h, bottom.y);
    }
    EXPECT_EQ(marked.rects[3].x + marked.rects[3].w, top.x + top.w);
    view.marked = 6;
    EXPECT_TRUE(Laid(view).rects.empty()) << "only five columns";
    view.marked = 3;
    view.entries[0] = {"ALICE", 1765152000};
    const Picture listed = Laid(view);
    EXPECT_EQ(Where(listed, "ALICE", 2).argb, 0xFFFFFFFFu);
    EXPECT_TRUE(Where(listed, "2025-12-08", 2).found);
    EXPECT_GT(listed.rects.size(), marked.rects.size());
    for (const Rect& r : listed.rects) {
        // Clear of the title at the top right and of the columns' captions and digits.
        EXPECT_FALSE(Overlaps(r, 410, 60, 600, 150)) << r.x << "," << r.y;
        EXPECT_FALSE(Overlaps(r, 120, 195, 420, 226)) << r.x << "," << r.y;
    }
}

TEST(OverlayLayout, GhostIsTheCellHalfSeenLessItsKeyAndStaysInThePlayView) {
    std::vector<std::uint8_t> cell(64 * 64, 7);  // all key
    for (int x = 10; x < 20; ++x) cell[5 * 64 + x] = 3;
    cell[6 * 64 + 63] = 4;
    std::uint32_t palette[256] = {};
    palette[3] = 0x112233;
    palette[4] = 0x445566;
    View view;
    view.screen = Screen::Play;
    view.classic = false;
    view.ghost = {true, 500, 100, cell.data(), 64, palette, 7};
    Picture picture = Laid(view);
    std::vector<Rect> ghost;
    for (const Rect& r : picture.rects) {
        if (r.h == 1 && (r.argb >> 24) == 0x80) ghost.push_back(r);
    }
    // One run at x 510..512 (cut at the play view's edge); the pixel at 563 is beyond it.
    ASSERT_EQ(ghost.size(), 1u);
    EXPECT_EQ(ghost[0].x, 510);
    EXPECT_EQ(ghost[0].y, 105);
    EXPECT_EQ(ghost[0].w, 2);
    EXPECT_EQ(ghost[0].argb, 0x80112233u);

    view.ghost.left = 0;
    picture = Laid(view);
    int ghostRects = 0;
    for (const Rect& r : picture.rects) ghostRects += r.h == 1 && (r.argb >> 24) == 0x80;
    EXPECT_EQ(ghostRects, 2);
}

TEST(OverlayBlend, MixesAtItsAlphaAtTheScaleAndCutsToThePicture) {
    constexpr int WIDTH = 1300;  // 640 at scale 2 from x 10, and room
    constexpr int HEIGHT = 970;
    std::vector<std::uint32_t> pixels(WIDTH * HEIGHT, 0xFF000000u | 0x204060u);
    Picture picture;
    picture.rects = {
        Rect{1, 1, 2, 1, 0xFFFF0000u},      // opaque red
        Rect{5, 5, 1, 1, 0x80FFFFFFu},      // half white
        Rect{636, 478, 20, 20, 0xFF00FF00u},  // runs off the picture
    };
    overlay::Blend(picture, pixels.data(), WIDTH * 4, 10, 4, 2, false);
    const auto at = [&](int x, int y) { return pixels[static_cast<std::size_t>(y) * WIDTH + x]; };
    // Picture pixel (1,1) at scale 2 from (10,4): window pixels x 12..15, y 6..7.
    EXPECT_EQ(at(12, 6), 0xFFFF0000u);
    EXPECT_EQ(at(15, 7), 0xFFFF0000u);
    EXPECT_EQ(at(16, 7), 0xFF204060u);
    EXPECT_EQ(at(12, 8), 0xFF204060u);
    // Half white over 0x20, 0x40, 0x60.
    EXPECT_EQ(at(20, 14), 0xFF90A0B0u);
    // Cut at the picture's edge: the last picture pixel drawn, nothing beyond.
    EXPECT_EQ(at(10 + 639 * 2 + 1, 4 + 479 * 2 + 1), 0xFF00FF00u);
    EXPECT_EQ(at(10 + 640 * 2, 4 + 479 * 2), 0xFF204060u);
    EXPECT_EQ(at(10 + 639 * 2, 4 + 480 * 2), 0xFF204060u);

    // The canvas keeps red in its low byte.
    std::vector<std::uint32_t> canvas(640 * 480, 0xFF000000u);
    picture.rects = {Rect{0, 0, 1, 1, 0xFF112233u}};
    overlay::Blend(picture, canvas.data(), 640 * 4, 0, 0, 1, true);
    EXPECT_EQ(canvas[0], 0xFF332211u);
}

TEST(OverlayText, TimesDatesAndPlaces) {
    EXPECT_EQ(overlay::Seconds(56800), "56.80 s");
    EXPECT_EQ(overlay::Seconds(2439), "2.43 s");
    EXPECT_EQ(overlay::Seconds(0), "0.00 s");
    EXPECT_EQ(overlay::Day(0), "");
    EXPECT_EQ(overlay::Day(1765152000), "2025-12-08");
    EXPECT_EQ(overlay::Ordinal(1), "1st");
    EXPECT_EQ(overlay::Ordinal(3), "3rd");
    EXPECT_EQ(overlay::Ordinal(6), "");
    EXPECT_EQ(overlay::TextWidth("", 2), 0);
    EXPECT_EQ(overlay::TextWidth("AB", 2), 22);
    // Each character one advance (five font pixels and a gap) right of the one before.
    Picture pair, apart;
    overlay::AddText(&pair, "I7", 3, 4, 2, 1);
    overlay::AddText(&apart, "I", 3, 4, 2, 1);
    overlay::AddText(&apart, "7", 3 + 12, 4, 2, 1);
    ASSERT_EQ(pair.rects.size(), apart.rects.size());
    for (std::size_t i = 0; i < pair.rects.size(); ++i) {
        EXPECT_EQ(std::make_tuple(pair.rects[i].x, pair.rects[i].y, pair.rects[i].w),
                  std::make_tuple(apart.rects[i].x, apart.rects[i].y, apart.rects[i].w));
    }
}

}  // namespace
