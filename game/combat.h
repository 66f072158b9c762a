// The enemies' random walk, the sword and its sounds.
#pragma once

#include "platform/win32.h"

// Swing counter values: set on the key press, and the value at which the swing ends.
constexpr int SWING_START = 1;
constexpr int SWING_END = 15;
constexpr int SWING_FRAMES_PER_PHASE = 3;
constexpr int SWORD_PHASES = 4;
// Shatter frames of a destroyed enemy before it counts as a kill.
constexpr int SHATTER_FRAMES = 10;
constexpr int KNOCK_BACK = 30;

constexpr const char* SOUND_SWING = "Play SWO from 0 notify";
constexpr const char* SOUND_DAMAGE = "Play DMG from 0 notify";
constexpr const char* SOUND_BREAK = "Play BEN from 0 notify";

// Sword hit boxes of the swing phases 0 to 3, relative to the hero's centre; they do
// not turn with the hero. Phase 0's width is negative and used as it is.
extern const RECT g_swordBoxes[SWORD_PHASES];

// Fire-and-forget effect: restarts from the beginning, no completion message.
void PlayEffect(const char* command);

// Each enemy, whatever its state, takes a random direction and one step.
void WanderEnemies();
// Every play frame: one shatter frame of each dying enemy, drawn on g_back with the
// current camera; an enemy whose break-up is complete counts as a kill.
void AdvanceBreakUps();
// One swing frame: hits, damage and knock-back of the enemies still standing.
void SwordPass();
