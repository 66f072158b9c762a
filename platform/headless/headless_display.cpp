// Headless display: frames presented are kept in memory (the last few) and can be
// written out as PNG files for looking at them; runs asked to be sent are only logged.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/headless/headless_internal.h"
#include "platform/desktop/frame_png.h"
#include "platform/seam/backend.h"

namespace {

constexpr std::size_t DEFAULT_KEEP = 4;
constexpr std::size_t FRAME_BYTES = std::size_t{SCREEN_WIDTH} * SCREEN_HEIGHT;

bool g_displayAvailable = true;
std::size_t g_keep = DEFAULT_KEEP;
std::vector<headless::Frame> g_frames;
std::uint64_t g_frameCount = 0;
std::vector<std::string> g_demosSent;

void TrimFrames() {
    if (g_frames.size() > g_keep) {
        g_frames.erase(g_frames.begin(), g_frames.end() - static_cast<std::ptrdiff_t>(g_keep));
    }
}

}  // namespace

namespace headless {

bool OpenWindow(const char*) {
    return g_displayAvailable;
}

void CloseWindow() {}

void Present(const std::uint8_t* pixels, const std::uint32_t* palette) {
    headless::Frame frame;
    // With the kept frames full, the oldest one's pixel block is filled again: a fresh
    // 300 KB block each frame maps and unmaps pages under AddressSanitizer, which made
    // that the long runs' main cost.
    if (g_keep > 0 && g_frames.size() >= g_keep) {
        frame = std::move(g_frames.front());
        g_frames.erase(g_frames.begin());
    }
    frame.pixels.assign(pixels, pixels + FRAME_BYTES);
    std::copy(palette, palette + 256, frame.palette);
    frame.atMs = static_cast<std::uint32_t>(NowMs());
    g_frames.push_back(std::move(frame));
    ++g_frameCount;
    TrimFrames();
}

void SendDemo(const std::string& path) {
    g_demosSent.push_back(path);
}

}  // namespace headless

namespace headless {

void ResetDisplay() {
    g_displayAvailable = true;
    g_keep = DEFAULT_KEEP;
    g_frames.clear();
    g_frameCount = 0;
    g_demosSent.clear();
}

void SetDisplayAvailable(bool available) {
    g_displayAvailable = available;
}

void KeepFrames(std::size_t keep) {
    g_keep = keep;
    TrimFrames();
}

const std::vector<Frame>& Frames() {
    return g_frames;
}

std::uint64_t FrameCount() {
    return g_frameCount;
}

// Before the first present (or with nothing kept) this is an empty frame without pixels.
const Frame& LastFrame() {
    static const Frame empty{};
    return g_frames.empty() ? empty : g_frames.back();
}

const std::vector<std::string>& DemosSent() {
    return g_demosSent;
}

bool WritePng(const Frame& frame, const std::string& path) {
    return frame.pixels.size() == FRAME_BYTES &&
           WriteFramePng(frame.pixels.data(), SCREEN_WIDTH, SCREEN_HEIGHT, frame.palette, path, false);
}

}  // namespace headless
