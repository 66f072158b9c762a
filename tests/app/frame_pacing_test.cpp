// The frame gate shared by every drawing scene, and the frame-rate text.
#include "gfx/frame_pacing.h"

#include <gtest/gtest.h>

#include <cstring>

#include "gfx/surfaces.h"
#include "platform/headless/headless.h"
#include "tests/support/harness.h"

namespace {

TEST(FrameGate, LetsOneFrameThroughPerPeriodAndKeepsTheStampOtherwise) {
    headless::SetTime(5000);
    EXPECT_EQ(FrameGate(20), 0);
    EXPECT_EQ(g_frameLast, 5000u);
    headless::Advance(5);
    EXPECT_EQ(FrameGate(20), 1);
    EXPECT_EQ(g_frameLast, 5000u);
    EXPECT_EQ(MsUntilNextFrame(10), 10u);
    EXPECT_EQ(MsUntilNextFrame(100), 15u);
    headless::Advance(15);
    EXPECT_EQ(MsUntilNextFrame(10), 0u);
    EXPECT_EQ(FrameGate(20), 0);
    // The stamp is shared: a longer period counts from the last frame of any scene.
    headless::Advance(500);
    EXPECT_EQ(FrameGate(1000), 1);
    headless::Advance(500);
    EXPECT_EQ(FrameGate(1000), 0);
}

TEST(FrameGate, TheClockWrapCountsAsTheTimeThatPassed) {
    g_frameLast = 4294967290u;
    headless::SetTime(0x100000000ull + 10);  // timeGetTime reads 10
    EXPECT_EQ(FrameGate(20), 1);             // 16 ms have passed
    EXPECT_EQ(FrameGate(16), 0);
    EXPECT_EQ(g_frameLast, 10u);
}

TEST(DrawFps, CountsTheFramesOfEachSecondAndDrawsTheTextTopLeft) {
    test::ScratchDir dir;
    test::StartGame();
    const std::uint64_t start = headless::Now();
    g_back->Pixels()[0] = 77;
    DrawFps();
    EXPECT_STREQ(g_fpsText, "1 fps");
    EXPECT_NE(g_back->Pixels()[0], 77);
    for (int call = 1; call <= 50; ++call) {
        headless::SetTime(start + 20 * call);
        DrawFps();
        EXPECT_STREQ(g_fpsText, call < 50 ? "1 fps" : "50 fps") << "call " << call;
    }
    EXPECT_EQ(g_fpsFrames, 0);
}

}  // namespace
