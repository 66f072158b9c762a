// The play scene, one frame per call.
#pragma once

#include <cstdint>

// Non-zero when an arrow key asked for a step this frame.
extern int g_moveRequest;

constexpr int CLEAR_KILLS = 5;
// The countdown's allowance in milliseconds.
constexpr std::uint32_t TIME_ALLOWANCE = 60000;

void GameFrame();
