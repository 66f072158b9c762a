// Steps, tile collision with its stopping positions, and the camera.
#include "game/movement.h"

#include <gtest/gtest.h>

#include "game/stage.h"

namespace {

// Walks an actor of speed (5, 4) from (x, y) for `frames` frames over walls of `code` in
// column `col` or row `row`, or only in their cell when both are given (-1: none).
std::pair<int, int> Walk(int x, int y, std::uint8_t dir, int frames, int col, int row, int code) {
    for (int r = 0; r < MAP_ROWS; ++r) {
        for (int c = 0; c < MAP_COLS; ++c) {
            const bool wall = col >= 0 && row >= 0 ? r == row && c == col : r == row || c == col;
            g_map[r][c] = wall ? code : 0;
        }
    }
    Actor a{};
    a.x = x, a.y = y, a.speedX = 5, a.speedY = 4, a.dir = dir, a.anim = 15;
    for (int i = 0; i < frames; ++i) {
        a.dx = a.dy = 0;
        StepActor(a);
        CollideWithMap(a.x, a.y, a.dx, a.dy);
    }
    EXPECT_EQ(a.anim, (frames - 1) % 16);  // from 15, wrapping at 16
    return {a.x, a.y};
}

// Codes 20 to 60 are walls. Downward the whole step is refused, so the actor rests short
// of the wall, and a sideways step with the bottom edge in a wall row as well. A zero step
// pushes out of a wall, the map edge stops nothing, and an unknown direction does not move.
TEST(Collision, StoppingPositions) {
    const struct {
        const char* name;
        int x, y;
        std::uint8_t dir;
        int frames, col, row, code;
        std::pair<int, int> end;
    } cases[] = {
        {"right", 400, 352, DIR_RIGHT, 20, 7, -1, 20, {430, 352}},
        {"right, code 60", 400, 352, DIR_RIGHT, 20, 7, -1, 60, {430, 352}},
        {"right, code 19", 400, 352, DIR_RIGHT, 20, 7, -1, 19, {500, 352}},
        {"right, code 61", 400, 352, DIR_RIGHT, 20, 7, -1, 61, {500, 352}},
        {"left", 300, 352, DIR_LEFT, 20, 3, -1, 20, {273, 352}},
        {"up", 352, 300, DIR_UP, 20, -1, 3, 20, {352, 273}},
        {"up, row 0", 352, 101, DIR_UP, 20, -1, 0, 20, {352, 81}},
        {"down, one step", 352, 480, DIR_DOWN, 1, -1, 8, 20, {352, 484}},
        {"down", 352, 480, DIR_DOWN, 12, -1, 8, 20, {352, 492}},
        {"past the left edge", 20, 352, DIR_LEFT, 10, -1, -1, 0, {-30, 352}},
        {"past the bottom edge", 352, 950, DIR_DOWN, 10, -1, -1, 0, {352, 990}},
        {"direction 7", 352, 352, 7, 3, -1, -1, 0, {352, 352}},
        {"no step, right edge in a wall", 440, 370, 7, 1, 7, 5, 20, {430, 370}},
        {"no step, right edge in a wall of column 0", 30, 380, 7, 1, 0, 5, 20, {81, 380}},
        {"sideways, bottom edge in a wall", 370, 440, DIR_RIGHT, 1, 5, 7, 20, {370, 440}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Walk(c.x, c.y, c.dir, c.frames, c.col, c.row, c.code), c.end) << c.name;
    }
}

TEST(Camera, FollowsTheHeroInsideTheWorld) {
    const std::pair<std::pair<int, int>, std::pair<int, int>> cases[] = {
        {{100, 100}, {0, 0}}, {{1200, 900}, {768, 480}}, {{600, 500}, {344, 292}}};
    for (const auto& [hero, camera] : cases) {
        UpdateCamera(hero.first, hero.second);
        EXPECT_EQ(std::make_pair(g_camera.x, g_camera.y), camera) << hero.first;
    }
}

}  // namespace
