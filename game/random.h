// The one pseudo-random source: state 1 at start and never reseeded, so every run
// draws the same sequence.
#pragma once

#include <cstdint>

extern std::uint32_t g_randomState;

// 0..32767
int NextRandom();
