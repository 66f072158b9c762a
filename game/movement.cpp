#include "game/movement.h"

const std::int32_t g_animColumns[4] = {0, 1, 2, 1};
POINT g_camera;

namespace {

constexpr int ANIM_LAST = 15;
constexpr int ANIM_FRAMES_PER_COLUMN = 5;
constexpr int SHEET_BLOCK_WIDTH = 192;
constexpr int SHEET_BLOCK_HEIGHT = 256;
constexpr int SHEET_BLOCKS_PER_BAND = 5;
constexpr int CAMERA_MAX_X = MAP_COLS * TILE_SIZE - VIEW_WIDTH;
constexpr int CAMERA_MAX_Y = MAP_ROWS * TILE_SIZE - VIEW_HEIGHT;
// The hero's centre on screen away from the world's edges.
constexpr int CAMERA_HERO_X = 256;
constexpr int CAMERA_HERO_Y = 208;

// Cells off the map never block.
bool Blocks(std::int32_t row, std::int32_t col) {
    if (row < 0 || row >= MAP_ROWS || col < 0 || col >= MAP_COLS) return false;
    const std::int32_t code = g_map[row][col];
    return code >= 20 && code <= 60;
}

}  // namespace

std::int32_t AnimColumn(std::uint8_t anim) {
    return anim <= ANIM_LAST ? g_animColumns[anim / ANIM_FRAMES_PER_COLUMN] : 0;
}

void StepActor(Actor& actor) {
    switch (actor.dir) {
    case DIR_DOWN: actor.dy = actor.speedY; break;
    case DIR_UP: actor.dy = -actor.speedY; break;
    case DIR_RIGHT: actor.dx = actor.speedX; break;
    case DIR_LEFT: actor.dx = -actor.speedX; break;
    default: break;
    }
    actor.anim += 1;
    if (actor.anim > ANIM_LAST) actor.anim = 0;
}

// Four passes over the box before the move, each seeing the step as the earlier ones
// left it. The downward pass cancels the whole move instead of shortening it.
void CollideWithMap(std::int32_t& x, std::int32_t& y, std::int32_t& dx, std::int32_t& dy) {
    const std::int32_t left = x - COLLISION_HALF;
    const std::int32_t right = x + COLLISION_HALF;
    const std::int32_t top = y - COLLISION_HALF;
    const std::int32_t bottom = y + COLLISION_HALF;

    if (dx >= 0) {
        const std::int32_t target = (right + dx) / TILE_SIZE;
        if (target >= 0 && target < MAP_COLS) {
            for (std::int32_t r = top / TILE_SIZE; r <= bottom / TILE_SIZE; ++r) {
                const std::int32_t c = (right + dx) / TILE_SIZE;
                if (Blocks(r, c)) dx = c * TILE_SIZE - right - 1;
            }
        }
    }
    if (dx < 0) {
        const std::int32_t target = (left + dx) / TILE_SIZE;
        if (target >= 0 && target < MAP_COLS) {
            for (std::int32_t r = top / TILE_SIZE; r <= bottom / TILE_SIZE; ++r) {
                const std::int32_t c = (left + dx) / TILE_SIZE;
                if (Blocks(r, c)) dx = (c + 1) * TILE_SIZE - left;
            }
        }
    }
    if (dy >= 0) {
        const std::int32_t target = (bottom + dy) / TILE_SIZE;
        if (target >= 0 && target < MAP_ROWS) {
            for (std::int32_t c = left / TILE_SIZE; c <= right / TILE_SIZE; ++c) {
                const std::int32_t r = (bottom + dy) / TILE_SIZE;
                if (Blocks(r, c)) {
                    dx = 0;
                    dy = 0;
                }
            }
        }
    } else {
        const std::int32_t target = (top + dy) / TILE_SIZE;
        if (target >= 0 && target < MAP_ROWS) {
            for (std::int32_t c = left / TILE_SIZE; c <= right / TILE_SIZE; ++c) {
                const std::int32_t r = (top + dy) / TILE_SIZE;
                if (Blocks(r, c)) dy = (r + 1) * TILE_SIZE - top;
            }
        }
    }
    x += dx;
    y += dy;
}

void SpriteRect(std::uint8_t index, std::uint8_t direction, std::int32_t column, RECT* rect) {
    rect->left = (index % SHEET_BLOCKS_PER_BAND) * SHEET_BLOCK_WIDTH + column * TILE_SIZE;
    rect->top = direction * TILE_SIZE + (index / SHEET_BLOCKS_PER_BAND) * SHEET_BLOCK_HEIGHT;
    rect->right = rect->left + TILE_SIZE;
    rect->bottom = rect->top + TILE_SIZE;
}

void UpdateCamera(std::int32_t heroX, std::int32_t heroY) {
    g_camera.x = heroX - CAMERA_HERO_X;
    g_camera.y = heroY - CAMERA_HERO_Y;
    if (g_camera.x < 0) g_camera.x = 0;
    if (g_camera.x > CAMERA_MAX_X) g_camera.x = CAMERA_MAX_X;
    if (g_camera.y < 0) g_camera.y = 0;
    if (g_camera.y > CAMERA_MAX_Y) g_camera.y = CAMERA_MAX_Y;
}

int RectsOverlap(std::int32_t x1, std::int32_t y1, std::int32_t w1, std::int32_t h1,
                 std::int32_t x2, std::int32_t y2, std::int32_t w2, std::int32_t h2) {
    return (x1 + w1 > x2 && x2 + w2 > x1 && y1 + h1 > y2 && y2 + h2 > y1) ? 1 : 0;
}
