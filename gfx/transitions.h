// Frame effects: the blinds and the sliding panel that uncover a picture one step a
// frame, and the shatter that breaks a sprite into flying 2x2 blocks.
#pragma once

#include "platform/ddraw.h"

constexpr int SHATTER_TABLE_SIZE = 32;

// Rows or columns of each 32-pixel slat already uncovered, 0..32 (both blinds share it).
extern int g_wipeStep;
// How far the panel's edge has slid left, 0..450.
extern int g_slideOffset;
// Random block offsets, [block row][block column]: -320..319 and -240..239. Filled once
// at start-up.
extern int g_shatterDX[SHATTER_TABLE_SIZE][SHATTER_TABLE_SIZE];
extern int g_shatterDY[SHATTER_TABLE_SIZE][SHATTER_TABLE_SIZE];

void ResetTransitions();
// One step of 15 slats opening downward, covering the rest in the colour.
void HorizontalBlinds(IDirectDrawSurface* surface, DWORD colour);
// One step of 20 slats opening rightward, covering the rest in palette index 0.
void VerticalBlinds(IDirectDrawSurface* surface);
// One step of the panel sliding left over the source picture.
void SlidePanel(IDirectDrawSurface* destination, IDirectDrawSurface* source);
// Draws the width x height sprite at (sourceX, sourceY) broken into 2x2 blocks, each moved
// by its table offset times spread / 32 (x) and spread / 24 (y). Every pixel is copied,
// key colour included; only on-screen pixels are written, and a block reaching past the
// left or top edge is left out whole, as is a block not wholly on the source. Sprites up
// to 64x64.
void ShatterBlit(IDirectDrawSurface* destination, int x, int y, IDirectDrawSurface* source,
                 int sourceX, int sourceY, int width, int height, int spread);
