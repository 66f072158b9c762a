// The stage-clear circle and the results with the score count-up.
#pragma once

#include <cstdint>

constexpr std::int32_t SCORE_BASE = 6000;

// The score of a play time: SCORE_BASE less it, never below 0.
std::uint32_t ScoreOf(std::uint32_t playTimeMs);

extern int g_clearRadius;
extern int g_clearStep;
extern int g_countUpPercent;
extern std::int8_t g_countUpDone;
// Set when the results follow a cleared stage (not the A shortcut): only those scores
// are saved.
extern bool g_resultsAfterClear;

void ClearInit();
void ClearFrame();
void ResultInit();
void ResultFrame();
