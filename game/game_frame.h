// The play scene, one frame per call.
#pragma once

#include <cstdint>

#include "platform/win32.h"

// Non-zero when an arrow key asked for a step this frame.
extern int g_moveRequest;

constexpr int CLEAR_KILLS = 5;
// The countdown's allowance in milliseconds.
constexpr std::uint32_t TIME_ALLOWANCE = 60000;

void GameFrame();

// The hero's 64x64 cell on the character sheet for a facing, walk frame and swing.
RECT HeroCell(std::uint8_t dir, std::uint8_t anim, std::uint8_t attack);
