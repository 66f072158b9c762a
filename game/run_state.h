// The clocks and counters of one run of the stage, in one place, with the one reset a
// stage load gives them.
#pragma once

#include <cstdint>

// Enemies destroyed and counted in this run; five clear the stage.
extern int g_killCount;
// timeGetTime at the end of the last load; play time is measured from it.
extern std::uint32_t g_stageStart;
// timeGetTime read once per frame, after the movement.
extern std::uint32_t g_frameTime;
// Play time of the cleared run, pauses left out; the results read it. Not reset by a
// load: results reached by the A shortcut show what the last clear left.
extern std::uint32_t g_clearTime;
// The pause menu's clocks: when it opened, when an item was picked, and the sum of the
// paused spans of this run.
extern std::uint32_t g_pauseStart;
extern std::uint32_t g_pauseEnd;
extern std::uint32_t g_pauseTotal;

// Starts the run afresh at `now`: no kills, no pauses, no time played.
void ResetRun(std::uint32_t now);
// Milliseconds played since the stage loaded, pauses left out, as of g_frameTime.
std::uint32_t PlayTime();
