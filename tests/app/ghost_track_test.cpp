// The ghost's track read from demos made by hand: which run it follows, what it refuses,
// what it keeps and its lookup by play time.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "app/ghost_track.h"
#include "game/scene_state.h"
#include "platform/demo/demo_format.h"

namespace {

// A format-3 stream written record by record.
class Stream {
public:
    void Stage() {
        bytes_.push_back(TAG_STAGE);
        last_ = DemoFramePoint{};
    }
    void Frame(int scene, std::uint32_t playTimeMs, std::int32_t x, std::int32_t y, std::uint8_t dir = 0,
               std::uint8_t anim = 0, std::uint8_t attack = 0) {
        bytes_.push_back(TAG_FRAME);
        Signed(scene);
        Signed(static_cast<std::int64_t>(playTimeMs) - last_.playTimeMs);
        Signed(x - last_.x);
        Signed(y - last_.y);
        bytes_.insert(bytes_.end(), {dir, anim, attack});
        last_ = DemoFramePoint{scene, playTimeMs, x, y, dir, anim, attack};
    }
    void Play(std::uint32_t playTimeMs, std::int32_t x, std::int32_t y) { Frame(SCENE_PLAY, playTimeMs, x, y); }
    void Clear(std::uint32_t playTimeMs) {
        bytes_.push_back(TAG_CLEAR);
        PutVarint(bytes_, playTimeMs);
        PutVarint(bytes_, 6000 - playTimeMs);
    }

    Demo Packed(std::uint8_t format = DEMO_FORMAT) const {
        DemoHeader header;
        header.format = format;
        Demo demo;
        EXPECT_TRUE(PackDemo(header, bytes_, &demo));
        return demo;
    }

private:
    void Signed(std::int64_t value) {
        PutVarint(bytes_, (static_cast<std::uint64_t>(value) << 1) ^ static_cast<std::uint64_t>(value >> 63));
    }

    std::vector<std::uint8_t> bytes_;
    DemoFramePoint last_;
};

GhostTrack Read(const Stream& stream) {
    GhostTrack track;
    EXPECT_TRUE(ReadGhostTrack(stream.Packed(), &track));
    return track;
}

TEST(GhostTrack, FollowsTheRunOfTheLastClearFromItsStageOnly) {
    Stream stream;
    stream.Stage();
    stream.Play(20, 100, 100);
    stream.Clear(500);
    stream.Stage();  // a restart: its frames are told afresh
    stream.Play(20, 352, 352);
    stream.Play(40, 360, 352);
    stream.Frame(SCENE_CLEAR_INIT, 60, 208, 176);  // on screen now: not the hero's place
    stream.Clear(60);
    stream.Frame(SCENE_RESULT, 60, 208, 176);
    stream.Stage();  // a later game that never cleared
    stream.Play(20, 900, 900);

    const GhostTrack track = Read(stream);
    EXPECT_EQ(track.clearMs, 60u);
    ASSERT_EQ(track.points.size(), 2u);
    EXPECT_EQ(GhostAt(track, 19), nullptr);
    ASSERT_NE(GhostAt(track, 20), nullptr);
    EXPECT_EQ(GhostAt(track, 20)->x, 352);
    EXPECT_EQ(GhostAt(track, 39)->x, 352);
    EXPECT_EQ(GhostAt(track, 40)->x, 360);
    EXPECT_EQ(GhostAt(track, 59)->x, 360);
    EXPECT_EQ(GhostAt(track, 60), nullptr);  // cleared: the run's hero is gone
    EXPECT_EQ(GhostAt(track, 100000), nullptr);
}

TEST(GhostTrack, AHeroStandingStillCostsOnePointAndALongRunEndsAtTheBound) {
    Stream stream;
    stream.Stage();
    for (std::uint32_t t = 20; t <= 20000; t += 20) stream.Play(t, 352, 352);
    stream.Play(20020, 356, 352);
    stream.Clear(20040);
    GhostTrack track = Read(stream);
    ASSERT_EQ(track.points.size(), 2u);
    EXPECT_EQ(GhostAt(track, 20010)->x, 352);
    EXPECT_EQ(GhostAt(track, 20030)->x, 356);

    Stream walk;
    walk.Stage();
    const std::uint32_t frames = GHOST_MAX_POINTS + 100;
    for (std::uint32_t i = 1; i <= frames; ++i) walk.Play(20 * i, 100 + static_cast<std::int32_t>(i % 2), 100);
    walk.Clear(20 * frames + 20);
    track = Read(walk);
    EXPECT_EQ(track.points.size(), GHOST_MAX_POINTS);
    EXPECT_EQ(track.endMs, 20 * (GHOST_MAX_POINTS + 1));
    EXPECT_NE(GhostAt(track, track.endMs - 1), nullptr);
    EXPECT_EQ(GhostAt(track, track.endMs), nullptr);
}

TEST(GhostTrack, NoTrackFromARunWithoutAClearAnOldFormatOrAHeroTheGameCouldNotShow) {
    GhostTrack track;
    Stream unfinished;
    unfinished.Stage();
    unfinished.Play(20, 352, 352);
    EXPECT_FALSE(ReadGhostTrack(unfinished.Packed(), &track));

    Stream cleared;
    cleared.Stage();
    cleared.Play(20, 352, 352);
    cleared.Clear(40);
    EXPECT_FALSE(ReadGhostTrack(cleared.Packed(2), &track));
    EXPECT_TRUE(ReadGhostTrack(cleared.Packed(), &track));

    struct Odd {
        std::int32_t x, y;
        std::uint8_t dir, attack;
        std::uint32_t secondMs;
    };
    for (const Odd odd : {Odd{-1, 352, 0, 0, 40}, Odd{352, 5000, 0, 0, 40}, Odd{352, 352, 4, 0, 40},
                          Odd{352, 352, 0, 15, 40}, Odd{356, 352, 0, 0, 10}}) {
        Stream stream;
        stream.Stage();
        stream.Play(20, 352, 352);
        stream.Frame(SCENE_PLAY, odd.secondMs, odd.x, odd.y, odd.dir, 0, odd.attack);
        stream.Clear(60);
        EXPECT_FALSE(ReadGhostTrack(stream.Packed(), &track)) << odd.x << "," << odd.y << " " << int{odd.dir};
        EXPECT_TRUE(track.points.empty());
        EXPECT_EQ(GhostAt(track, 30), nullptr);
    }
}

}  // namespace
