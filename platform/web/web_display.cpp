// The browser backend's display: the rows and columns of each frame that changed are
// converted through its palette into RGBA, the overlay drawn over them, and put on the
// page's canvas at the end of the batch of turns (library_page.js); the page scales it
// (page_layout.js). Where the browser draws WebGL with a GPU, the changed rows' palette
// indices go to it instead, and it looks the colours up and draws the overlay
// (library_gl.js). While the page is hidden or has lost the focus nothing is drawn.
// Under the test clock every frame's checksum is recorded for the test to compare with
// the golden run.
#include <emscripten.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/host/frame_checksum.h"
#include "platform/overlay/overlay.h"
#include "platform/seam/backend.h"
#include "platform/seam/frame_changes.h"
#include "platform/web/web_internal.h"

extern "C" {
// library_page.js
int lbOpenCanvas(int width, int height);
void lbPresent(const std::uint32_t* rgba, int left, int top, int right, int bottom);
void lbPresentIndexed(const std::uint8_t* pixels, const std::uint32_t* palette, int top, int bottom,
                      const overlay::Rect* rects, int count);
void lbRecordFrame(const char* line);
}

// library_gl.js reads the overlay's rectangles as they lie in memory.
static_assert(sizeof(overlay::Rect) == 12 && offsetof(overlay::Rect, argb) == 8);

namespace {

constexpr std::size_t FRAME_PIXELS = std::size_t{SCREEN_WIDTH} * SCREEN_HEIGHT;

std::vector<std::uint32_t> g_rgba(FRAME_PIXELS);
ShownFrame g_shown{};
ChangedSpan g_changed[SCREEN_HEIGHT];
std::uint64_t g_presented = 0;
bool g_pictureShown = false;
std::uint64_t g_firstFrameMs = 0;
enum class Drawing { Canvas2d, WebGl } g_drawing = Drawing::Canvas2d;

// The overlay as last drawn into the picture.
overlay::Picture g_overlayDrawn;

// The columns the overlay's rectangles cover, widened by them.
void WidenByRects(const overlay::Picture& picture, ChangedSpan* columns) {
    for (const overlay::Rect& rect : picture.rects) {
        columns->left = std::min<int>(columns->left, rect.x);
        columns->right = std::max<int>(columns->right, rect.x + rect.w);
    }
}

// The overlay is drawn into the converted picture, so where it lies (where it was and
// where it is: its rows, in its columns) is converted again and it is drawn anew whenever
// it or the picture under it changed; true when that is due. Otherwise the picture under
// it still carries it, and it is not drawn again (its shades would darken).
bool RedrawOverlayRows() {
    const overlay::Picture& now = overlay::Shown();
    bool due = now.rects != g_overlayDrawn.rects;
    for (int y = g_overlayDrawn.top; y < g_overlayDrawn.bottom && !due; ++y) due = g_changed[y].Changed();
    for (int y = now.top; y < now.bottom && !due; ++y) due = g_changed[y].Changed();
    if (!due) return false;
    ChangedSpan columns{SCREEN_WIDTH, 0};
    WidenByRects(g_overlayDrawn, &columns);
    WidenByRects(now, &columns);
    columns.left = std::max(columns.left, 0);
    columns.right = std::min(columns.right, SCREEN_WIDTH);
    const int top = std::min(g_overlayDrawn.top, now.top), bottom = std::max(g_overlayDrawn.bottom, now.bottom);
    for (int y = std::max(top, 0); y < std::min(bottom, SCREEN_HEIGHT) && columns.Changed(); ++y) {
        ChangedSpan& span = g_changed[y];
        span = span.Changed() ? ChangedSpan{std::min(span.left, columns.left), std::max(span.right, columns.right)}
                              : columns;
    }
    g_overlayDrawn = now;
    return true;
}

// Under the test clock: the frame's number, its time and checksum.
void RecordFrame(const std::uint8_t* pixels, const std::uint32_t* palette) {
    if (!web_backend::VirtualClock()) return;
    if (g_presented == 0) g_firstFrameMs = backend::NowMs();
    char line[64];
    std::snprintf(line, sizeof line, "%llu %llu %016llx", static_cast<unsigned long long>(g_presented),
                  static_cast<unsigned long long>(backend::NowMs() - g_firstFrameMs),
                  static_cast<unsigned long long>(FrameChecksum(pixels, FRAME_PIXELS, palette)));
    lbRecordFrame(line);
}

// The changed rows' indices and the palette go to the GPU, which looks the colours up.
void PresentIndexed(const std::uint8_t* pixels, const std::uint32_t* palette) {
    int top = SCREEN_HEIGHT, bottom = 0;
    if (TakeFrame(g_shown, pixels, palette, g_changed) > 0) {
        for (int y = 0; y < SCREEN_HEIGHT; ++y) {
            if (!g_changed[y].Changed()) continue;
            top = std::min(top, y);
            bottom = y + 1;
        }
    }
    const std::vector<overlay::Rect>& rects = overlay::Shown().rects;
    lbPresentIndexed(g_shown.pixels, g_shown.palette, top, bottom, rects.data(), static_cast<int>(rects.size()));
}

void PresentConverted(const std::uint8_t* pixels, const std::uint32_t* palette) {
    // Canvas pixels are the bytes R, G, B, A: one little-endian word 0xAABBGGRR.
    std::uint32_t colors[256];
    for (int i = 0; i < 256; ++i) {
        const std::uint32_t rgb = palette[i];
        colors[i] = 0xFF000000u | ((rgb & 0xFFu) << 16) | (rgb & 0xFF00u) | ((rgb >> 16) & 0xFFu);
    }
    int left = SCREEN_WIDTH, top = SCREEN_HEIGHT, right = 0, bottom = 0;
    const bool pictureChanged = TakeFrame(g_shown, pixels, palette, g_changed) > 0;
    const bool overlayChanged = RedrawOverlayRows();
    if (pictureChanged || overlayChanged) {
        for (int y = 0; y < SCREEN_HEIGHT; ++y) {
            const ChangedSpan span = g_changed[y];
            if (!span.Changed()) continue;
            const std::size_t row = static_cast<std::size_t>(y) * SCREEN_WIDTH;
            for (int x = span.left; x < span.right; ++x) g_rgba[row + x] = colors[pixels[row + x]];
            left = std::min(left, span.left);
            right = std::max(right, span.right);
            top = std::min(top, y);
            bottom = y + 1;
        }
        if (overlayChanged) {
            overlay::Blend(g_overlayDrawn, g_rgba.data(), SCREEN_WIDTH * sizeof(std::uint32_t), 0, 0, 1, true);
        }
    }
    lbPresent(g_rgba.data(), left, top, right, bottom);
}

}  // namespace

namespace web_backend {

bool OpenWindow(const char*) {
    const int drawing = lbOpenCanvas(SCREEN_WIDTH, SCREEN_HEIGHT);
    if (drawing == 0) return false;
    g_drawing = drawing == 2 ? Drawing::WebGl : Drawing::Canvas2d;
    web_backend::StartInput();
    return true;
}

// The page stays; it learns that the game has ended when the program exits.
void CloseWindow() {}

void Present(const std::uint8_t* pixels, const std::uint32_t* palette) {
    RecordFrame(pixels, palette);
    ++g_presented;
    if (!web_backend::PageActive()) return;
    if (g_drawing == Drawing::WebGl) {
        PresentIndexed(pixels, palette);
    } else {
        PresentConverted(pixels, palette);
    }
    // The game holds the first frame with a picture on it (play fades in from black).
    if (!g_pictureShown && std::any_of(pixels, pixels + FRAME_PIXELS,
                                       [&](std::uint8_t i) { return palette[i] != palette[pixels[0]]; })) {
        g_pictureShown = true;
        web_backend::FirstPictureShown();
    }
}

}  // namespace web_backend
