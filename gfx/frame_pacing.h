// Frame pacing shared by every drawing scene, and the frame-rate text.
#pragma once

#include <cstdint>

// Every drawing scene draws a frame each 20 ms at most.
constexpr std::uint32_t FRAME_PERIOD_MS = 20;

extern std::uint32_t g_frameLast;
extern int g_fpsFrames;
extern std::uint32_t g_fpsLast;
extern char g_fpsText[16];

// 1 when fewer than periodMs have passed since the last frame let through (skip the
// frame), 0 when the frame may be drawn (and the stamp moves to now).
int FrameGate(std::uint32_t periodMs);
// Whole milliseconds until the frame the last FrameGate call turned away is due (0 when
// it is due now), at most maxMs.
std::uint32_t MsUntilNextFrame(std::uint32_t maxMs);
// Counts a frame and writes the rate, updated once a second, at the top left of g_back.
void DrawFps();
