// The play scene, one frame per call, and the clocks and counters of a run.
#pragma once

#include <cstdint>

// Zero against non-zero: an arrow key asked for a step this frame.
extern int g_moveRequest;
// Enemies destroyed and counted in this run; five clear the stage.
extern int g_killCount;
// timeGetTime read once per frame, after the movement.
extern std::uint32_t g_frameTime;
// Play time of the cleared run, pauses left out; the results read it.
extern std::uint32_t g_clearTime;
// The pause menu's clocks: when it opened, when an item was picked, and the sum of the
// paused spans of this run.
extern std::uint32_t g_pauseStart;
extern std::uint32_t g_pauseEnd;
extern std::uint32_t g_pauseTotal;

constexpr int CLEAR_KILLS = 5;
// The countdown's allowance in milliseconds.
constexpr std::uint32_t TIME_ALLOWANCE = 60000;

// Milliseconds played since the stage loaded, pauses left out, as of g_frameTime.
std::uint32_t PlayTime();

void GameFrame();
