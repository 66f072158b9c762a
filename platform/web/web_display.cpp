// The browser backend's display: each frame is converted through its palette into RGBA
// and put on the page's canvas, which the page scales (see page.js). While the page is
// hidden or has lost the focus nothing is drawn. Under the test clock every frame's
// checksum is recorded for the test to compare with the golden run.
#include <emscripten.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/seam/backend.h"
#include "platform/host/frame_checksum.h"
#include "platform/web/web_internal.h"

namespace {

constexpr std::size_t FRAME_PIXELS = std::size_t{SCREEN_WIDTH} * SCREEN_HEIGHT;

std::vector<std::uint32_t> g_rgba(FRAME_PIXELS);
std::uint64_t g_presented = 0;
bool g_pictureShown = false;
std::uint64_t g_firstFrameMs = 0;

}  // namespace

extern "C" {
// library_page.js
int lbOpenCanvas(int width, int height);
void lbPresent(const std::uint32_t* rgba);
void lbRecordFrame(const char* line);
}

namespace backend {

bool OpenWindow(const char*) {
    if (lbOpenCanvas(SCREEN_WIDTH, SCREEN_HEIGHT) == 0) return false;
    web_backend::StartInput();
    return true;
}

// The page stays; it learns that the game has ended when the program exits.
void CloseWindow() {}

void Present(const std::uint8_t* pixels, const std::uint32_t* palette) {
    if (web_backend::VirtualClock()) {
        if (g_presented == 0) g_firstFrameMs = NowMs();
        char line[64];
        std::snprintf(line, sizeof line, "%llu %llu %016llx", static_cast<unsigned long long>(g_presented),
                      static_cast<unsigned long long>(NowMs() - g_firstFrameMs),
                      static_cast<unsigned long long>(FrameChecksum(pixels, FRAME_PIXELS, palette)));
        lbRecordFrame(line);
    }
    ++g_presented;
    if (!web_backend::PageActive()) return;
    // Canvas pixels are the bytes R, G, B, A: one little-endian word 0xAABBGGRR.
    std::uint32_t colors[256];
    for (int i = 0; i < 256; ++i) {
        const std::uint32_t rgb = palette[i];
        colors[i] = 0xFF000000u | ((rgb & 0xFFu) << 16) | (rgb & 0xFF00u) | ((rgb >> 16) & 0xFFu);
    }
    for (std::size_t i = 0; i < FRAME_PIXELS; ++i) g_rgba[i] = colors[pixels[i]];
    lbPresent(g_rgba.data());
    // The game holds the first frame with a picture on it (play fades in from black).
    if (!g_pictureShown && std::any_of(g_rgba.begin(), g_rgba.end(), [](std::uint32_t c) { return c != g_rgba[0]; })) {
        g_pictureShown = true;
        web_backend::FirstPictureShown();
    }
}

// A page cannot run a second game beside this one to show a kept run; the desktop game
// watches it (--playdemo).
void ShowDemo(const std::string& path) {
    std::fprintf(stderr, "lantern-blade: watching %s needs the desktop game\n", path.c_str());
}

}  // namespace backend
