// Stepping, tile collision, enemy sprite cells, the camera and the overlap test.
#pragma once

#include <cstdint>

#include "game/stage.h"
#include "platform/seam/screen.h"
#include "platform/win32.h"

// Half the side of the 35x35 collision box round an actor's centre.
constexpr int COLLISION_HALF = 17;
constexpr int VIEW_WIDTH = 512;
constexpr int VIEW_HEIGHT = SCREEN_HEIGHT;

// Picture column of each fifth of the 16-frame walk cycle.
extern const std::int32_t g_animColumns[4];
// World position of the play view's top-left pixel.
extern POINT g_camera;

// Picture column for an animation counter. Counters beyond the cycle (only possible from
// the enemy file, for one frame) show column 0 rather than reading past the table.
std::int32_t AnimColumn(std::uint8_t anim);

// This frame's step from the facing and speed (the caller has cleared dx and dy), and
// the next animation frame.
void StepActor(Actor& actor);
// Shortens or cancels the step where it would enter a blocking tile, then moves.
void CollideWithMap(std::int32_t& x, std::int32_t& y, std::int32_t& dx, std::int32_t& dy);
// The 64x64 cell of an enemy picture on the enemy sheet.
void SpriteRect(std::uint8_t index, std::uint8_t direction, std::int32_t column, RECT* rect);
// Centres the view on the hero, kept inside the world.
void UpdateCamera(std::int32_t heroX, std::int32_t heroY);
// 1 when the rectangles overlap (touching is not overlapping), else 0. Negative sizes
// are taken as they are.
int RectsOverlap(std::int32_t x1, std::int32_t y1, std::int32_t w1, std::int32_t h1,
                 std::int32_t x2, std::int32_t y2, std::int32_t w2, std::int32_t h2);
