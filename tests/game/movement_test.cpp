// Steps, tile collision with its stopping positions, sprite cells, camera and overlap.
#include "game/movement.h"

#include <gtest/gtest.h>

#include "game/stage.h"

namespace {

class Collision : public ::testing::Test {
protected:
    void SetUp() override {
        for (auto& row : g_map) {
            for (std::int32_t& code : row) code = 0;
        }
    }
    static void WallColumn(int col, int code = 20) {
        for (auto& row : g_map) row[col] = code;
    }
    static void WallRow(int row, int code = 20) {
        for (std::int32_t& code2 : g_map[row]) code2 = code;
    }
    // Steps the actor `frames` times in one direction and returns where it ends.
    static Actor Walk(Actor a, std::uint8_t dir, int frames) {
        a.dir = dir;
        for (int i = 0; i < frames; ++i) {
            a.dx = 0;
            a.dy = 0;
            StepActor(a);
            CollideWithMap(a.x, a.y, a.dx, a.dy);
        }
        return a;
    }
    static Actor At(int x, int y) {
        Actor a{};
        a.x = x;
        a.y = y;
        a.speedX = 5;
        a.speedY = 5;
        return a;
    }
};

TEST_F(Collision, StopsAtTheWallEdgeRightLeftAndUp) {
    WallColumn(7);
    EXPECT_EQ(Walk(At(400, 352), DIR_RIGHT, 20).x, 430);
    WallColumn(3);
    EXPECT_EQ(Walk(At(300, 352), DIR_LEFT, 20).x, 273);
    WallRow(3);
    EXPECT_EQ(Walk(At(352, 300), DIR_UP, 20).y, 273);
}

// Downward the whole step is refused, so the actor rests short of the wall.
TEST_F(Collision, DownwardRefusesTheWholeStep) {
    WallRow(8);
    Actor a = At(352, 480);
    a = Walk(a, DIR_DOWN, 1);
    EXPECT_EQ(a.y, 485);
    a = Walk(a, DIR_DOWN, 1);
    EXPECT_EQ(a.y, 490);
    EXPECT_EQ(Walk(a, DIR_DOWN, 10).y, 490);

    // A sideways step with the bottom edge's row blocked is cancelled as well.
    g_map[7][5] = 20;  // in the row of the bottom edge of the box at (370, 440)
    std::int32_t x = 370, y = 440, dx = 5, dy = 0;
    CollideWithMap(x, y, dx, dy);
    EXPECT_EQ(x, 370);
    EXPECT_EQ(dx, 0);
}

TEST_F(Collision, WallCodesAreTwentyToSixty) {
    for (int code : {19, 20, 60, 61}) {
        WallColumn(7, code);
        const bool blocks = code >= 20 && code <= 60;
        EXPECT_EQ(Walk(At(400, 352), DIR_RIGHT, 20).x, blocks ? 430 : 500) << code;
    }
}

TEST_F(Collision, AZeroStepPushesOutOfAWallAndTheMapEdgeDoesNotStop) {
    g_map[5][7] = 20;
    std::int32_t x = 440, y = 370, dx = 0, dy = 0;  // right edge 457 inside cell (5, 7)
    CollideWithMap(x, y, dx, dy);
    EXPECT_EQ(x, 430);
    EXPECT_EQ(Walk(At(20, 352), DIR_LEFT, 10).x, -30);
    EXPECT_EQ(Walk(At(352, 950), DIR_DOWN, 10).y, 1000);
}

TEST(StepActor, SetsOneComponentAndCyclesTheAnimation) {
    Actor a{};
    a.speedX = 3;
    a.speedY = 2;
    const std::pair<std::uint8_t, std::pair<int, int>> steps[] = {{DIR_DOWN, {0, 2}},
                                                                  {DIR_UP, {0, -2}},
                                                                  {DIR_RIGHT, {3, 0}},
                                                                  {DIR_LEFT, {-3, 0}},
                                                                  {7, {0, 0}}};
    for (const auto& [dir, step] : steps) {
        a.dir = dir;
        a.dx = 0;
        a.dy = 0;
        a.anim = 15;
        StepActor(a);
        EXPECT_EQ(std::make_pair(a.dx, a.dy), step) << int(dir);
        EXPECT_EQ(a.anim, 0);
    }
    a.anim = 4;
    StepActor(a);
    EXPECT_EQ(a.anim, 5);
}

TEST(AnimColumn, WalksZeroOneTwoOneAndStaysInTheTable) {
    EXPECT_EQ(AnimColumn(4), 0);
    EXPECT_EQ(AnimColumn(5), 1);
    EXPECT_EQ(AnimColumn(14), 2);
    EXPECT_EQ(AnimColumn(15), 1);
    EXPECT_EQ(AnimColumn(16), 0);
    EXPECT_EQ(AnimColumn(255), 0);
}

TEST(Camera, FollowsTheHeroInsideTheWorld) {
    UpdateCamera(100, 100);
    EXPECT_EQ(std::make_pair(g_camera.x, g_camera.y), std::make_pair(0, 0));
    UpdateCamera(1200, 900);
    EXPECT_EQ(std::make_pair(g_camera.x, g_camera.y), std::make_pair(768, 480));
    UpdateCamera(600, 500);
    EXPECT_EQ(std::make_pair(g_camera.x, g_camera.y), std::make_pair(344, 292));
}

TEST(SpriteRect, FindsTheCellInItsBlockAndBand) {
    RECT r;
    SpriteRect(7, 2, 1, &r);
    EXPECT_EQ(std::make_tuple(r.left, r.top, r.right, r.bottom),
              std::make_tuple(448, 384, 512, 448));
}

TEST(RectsOverlap, TouchingIsNotOverlappingAndNegativeSizesStay) {
    EXPECT_EQ(RectsOverlap(0, 0, 10, 10, 10, 0, 10, 10), 0);
    EXPECT_EQ(RectsOverlap(0, 0, 10, 10, 9, 9, 10, 10), 1);
    EXPECT_EQ(RectsOverlap(25, 0, -58, 41, -34, 0, 64, 64), 1);
    EXPECT_EQ(RectsOverlap(25, 0, -58, 41, -39, 0, 64, 64), 0);
}

}  // namespace
