#include "gfx/frame_pacing.h"

#include <cstring>

#include "gfx/surfaces.h"
#include "platform/gdi.h"
#include "platform/mmsystem.h"

std::uint32_t g_frameLast = 0;
int g_fpsFrames = 0;
std::uint32_t g_fpsLast = 0;
char g_fpsText[16] = "";

namespace {

// When the frame the gate last turned away may pass.
std::uint32_t g_frameDue = 0;

}  // namespace

int FrameGate(std::uint32_t periodMs) {
    const std::uint32_t now = timeGetTime();
    // Unsigned difference: the wrap of the clock does not stall the gate.
    if (now - g_frameLast < periodMs) {
        g_frameDue = g_frameLast + periodMs;
        return 1;
    }
    g_frameLast = now;
    return 0;
}

std::uint32_t MsUntilNextFrame(std::uint32_t maxMs) {
    const std::int32_t wait = static_cast<std::int32_t>(g_frameDue - timeGetTime());
    if (wait <= 0) return 0;
    return static_cast<std::uint32_t>(wait) < maxMs ? static_cast<std::uint32_t>(wait) : maxMs;
}

void DrawFps() {
    ++g_fpsFrames;
    const std::uint32_t now = timeGetTime();
    if (now - g_fpsLast >= 1000) {
        g_fpsLast = now;
        wsprintfA(g_fpsText, sizeof g_fpsText, "%d fps", g_fpsFrames);
        g_fpsFrames = 0;
    }
    HDC dc = nullptr;
    if (g_back->GetDC(&dc) != DD_OK) return;
    TextOutA(dc, 0, 0, g_fpsText, static_cast<int>(std::strlen(g_fpsText)));
    g_back->ReleaseDC(dc);
}
