// The frame gate shared by every drawing scene; the frame-rate text shows in every frame
// of the whole game's record.
#include "gfx/frame_pacing.h"

#include <gtest/gtest.h>

#include "platform/headless/headless.h"

namespace {

TEST(FrameGate, LetsOneFrameThroughPerPeriodAcrossTheClockWrapAndKeepsTheStampOtherwise) {
    headless::SetTime(0x100000000ull - 6);  // timeGetTime reads 4294967290
    EXPECT_EQ(FrameGate(20), 0);
    headless::Advance(5);
    EXPECT_EQ(FrameGate(20), 1);
    EXPECT_EQ(g_frameLast, 4294967290u);
    EXPECT_EQ(MsUntilNextFrame(10), 10u);
    EXPECT_EQ(MsUntilNextFrame(100), 15u);
    headless::Advance(15);  // past the wrap: timeGetTime reads 14
    EXPECT_EQ(MsUntilNextFrame(10), 0u);
    EXPECT_EQ(FrameGate(20), 0);
    EXPECT_EQ(g_frameLast, 14u);
    // The stamp is shared: a longer period counts from the last frame of any scene.
    headless::Advance(500);
    EXPECT_EQ(FrameGate(1000), 1);
    headless::Advance(500);
    EXPECT_EQ(FrameGate(1000), 0);
}

}  // namespace
