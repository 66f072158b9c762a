// The stage: actors, map, start stamp and key brush, and the scene that loads it.
#pragma once

#include <cstdint>

#include "platform/win32.h"

constexpr int ENEMY_COUNT = 10;
constexpr int MAP_ROWS = 15;
constexpr int MAP_COLS = 20;
constexpr int TILE_SIZE = 64;
// Sprites are 64x64 round the actor's position.
constexpr int SPRITE_HALF = TILE_SIZE / 2;

// Facing; also the sprite row on both sheets.
constexpr std::uint8_t DIR_DOWN = 0;
constexpr std::uint8_t DIR_UP = 1;
constexpr std::uint8_t DIR_RIGHT = 2;
constexpr std::uint8_t DIR_LEFT = 3;

constexpr std::uint8_t ACTOR_GONE = 0;
constexpr std::uint8_t ACTOR_DYING = 1;
// Lasts only inside one sword pass: set when the hit points run out, then made DYING.
constexpr std::uint8_t ACTOR_KILLED = 2;
constexpr std::uint8_t ACTOR_ALIVE = 3;

// The hero and every enemy. Fields in the order the enemy file gives most of them.
struct Actor {
    std::int32_t x;  // world centre
    std::int32_t y;
    std::int32_t dx;  // this frame's step
    std::int32_t dy;
    std::int32_t speedX;
    std::int32_t speedY;
    std::uint8_t sprite;  // picture on the enemy sheet
    std::int32_t hp;
    std::uint8_t state;
    std::uint8_t dir;
    std::uint8_t anim;  // 0..15 walk cycle
    std::uint8_t power;
    std::uint8_t reserved1;
    std::uint8_t attack;  // swing counter, 0 when idle
    std::uint8_t reserved2;
    RECT hitRect;
    std::int32_t reserved3;
    std::int32_t shatterFrame;
};

extern Actor g_player;
extern Actor g_enemies[ENEMY_COUNT];
extern std::int32_t g_map[MAP_ROWS][MAP_COLS];
// Solid 0x00FF00FF brush of the darkness disc and the clear circle.
extern HBRUSH g_keyBrush;

// Reads the enemy and map files, places the hero, loads the three stage pictures and
// moves on to the play scene. Also starts the run afresh.
void LoadStage();
