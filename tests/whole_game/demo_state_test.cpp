// Demos that check the game's state: a kept run verifies alone, whatever the art, and
// only on its own stage; spoilt and hostile files are refused, cleanly and cheaply; the
// release demos verify; a stalled recording never holds a watcher.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/demo_run.h"
#include "app/run_records.h"
#include "game/run_state.h"
#include "game/scene_state.h"
#include "records/numbers.h"
#include "platform/demo/demo.h"
#include "platform/headless/headless.h"
#include "platform/host/packing.h"
#include "records/ranking_demos.h"
#include "tests/whole_game/game_run.h"

namespace {

namespace fs = std::filesystem;

using whole::KEPT_ROUTE;
using whole::RING_CLEAR;
using whole::ReadDemo;
using Verified = whole::BinaryRun;

// Flips every pixel of one row of an 8-bit picture to the next palette index.
void ChangeARow(const std::string& path, int row) {
    std::string bmp = test::ReadFile(path);
    const auto at = [&bmp](int offset) {
        return static_cast<std::uint32_t>(static_cast<std::uint8_t>(bmp[offset])) |
               static_cast<std::uint32_t>(static_cast<std::uint8_t>(bmp[offset + 1])) << 8;
    };
    const std::uint32_t pixels = at(10) | at(12) << 16;
    const std::uint32_t width = at(18) | at(20) << 16;
    const std::uint32_t stride = (width + 3) & ~3u;
    for (std::uint32_t x = 0; x < width; ++x) bmp[pixels + row * stride + x] ^= 1;
    test::WriteFile(path, bmp);
}

// Plays the route to a clear in a scratch copy of the data, after `before`, recording as
// the game always does; the clear's kept demo is then in KEPT_ROUTE.
void ClearAfter(whole::GameRun& run, const std::function<bool()>& before) {
    ASSERT_TRUE(run.UntilScene(SCENE_PLAY));
    ASSERT_TRUE(before());
    ASSERT_TRUE(whole::PlayRoute(run) && run.UntilScene(SCENE_RESULT));
}

// On a machine up for days (the clock's first reading is where it stood, not time
// played), the route's clear keeps its demo beside the shipped entry of the same score;
// the entry pushed out loses its own, a player's file stays. The kept run and the golden
// one verify alone with other art; spoilt copies and another stage are refused.
TEST(DemoState, AKeptRunVerifiesAloneWithOtherArtButNotOnAnotherStageMap) {
    whole::GameRun run([] {
        headless::SetTime(4ull * 24 * 3600 * 1000);
        test::WriteFile("txt/Ranking/demos/notes.txt", "the player's own");
        StartRecording();
    });
    const std::string shippedFirst = test::ReadFile("txt/Ranking/demos/3439-0.lbdemo");
    ClearAfter(run, [] { return true; });
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking.txt"), "3439,3439,3099,2539,1839,");
    EXPECT_EQ(test::ReadFile("txt/Ranking/demos/3439-0.lbdemo"), shippedFirst);
    EXPECT_EQ(test::ReadFile("txt/Ranking/demos/notes.txt"), "the player's own");
    EXPECT_FALSE(fs::exists("txt/Ranking/demos/939-0.lbdemo"));
    const Demo kept = ReadDemo(KEPT_ROUTE);
    EXPECT_EQ(kept.header.format, DEMO_FORMAT);
    EXPECT_EQ(kept.header.player, "PLAYER");
    EXPECT_FALSE(kept.header.start.empty());
    // The hero's track is kept plainly: the route starts with a walk to the right.
    const std::vector<DemoFramePoint> track = DemoTrack(kept);
    const auto play = std::find_if(track.begin(), track.end(), [](const DemoFramePoint& p) { return p.scene == SCENE_PLAY; });
    ASSERT_NE(play, track.end());
    EXPECT_EQ(play->x, 352);
    EXPECT_LT(play->playTimeMs, 40u);
    EXPECT_TRUE(std::any_of(track.begin(), track.end(), [](const DemoFramePoint& p) { return p.x > 352; }));
    EXPECT_TRUE(PlaceKeepsItsRun(0, "txt\\Ranking\\Ranking.txt"));
    EXPECT_TRUE(PlaceKeepsItsRun(1, "txt\\Ranking\\Ranking.txt"));
    EXPECT_EQ(ReadDemo(PlaceDemoPath(0, g_ranking, "txt\\Ranking\\Ranking.txt")).header.player, "LANTERN");
    EXPECT_EQ(fs::path(PlaceDemoPath(1, g_ranking, "txt\\Ranking\\Ranking.txt")), fs::path(KEPT_ROUTE));

    ChangeARow("bmp/Char/My_char.bmp", 10);
    ChangeARow("bmp/Ranking/Ranking.bmp", 10);
    whole::ExpectVerify(KEPT_ROUTE, 0, std::string(RING_CLEAR) + "player: PLAYER\ndate: 20");
    whole::ExpectVerify(whole::KEPT_DEMO, 0, RING_CLEAR);

    // Spoilt copies: cut short, no demo, none there, the first step right made a step up.
    const std::string bytes = test::ReadFile(whole::KEPT_DEMO);
    test::WriteFile("cut.lbdemo", bytes.substr(0, bytes.size() / 2));
    test::WriteFile("other.lbdemo", "3200,2400,1600,1000,500,");
    for (const char* refused : {"cut.lbdemo", "other.lbdemo", "missing.lbdemo"}) {
        whole::ExpectVerify(refused, 2, "lantern-blade: ");
    }
    test::WriteFile("edited.lbdemo", EncodeDemo(whole::EditedKey(ReadDemo(whole::KEPT_DEMO), VK_RIGHT, VK_UP)));
    whole::ExpectVerify("edited.lbdemo", 1, "lantern-blade: the demo differs at frame ");
    // A clear where the run reads its first clock: it differs before its first frame.
    test::WriteFile("first.lbdemo", EncodeDemo(whole::Edited(ReadDemo(whole::KEPT_DEMO),
                                                             [](const DemoRecord&) { return true; },
                                                             whole::ClearRecord(2561, 3439))));
    whole::ExpectVerify("first.lbdemo", 1, "differs at frame 0: ");

    // Another stage: the first enemy or the first map code moved.
    for (const char* stage : {"txt/en.txt", "txt/Map/Map.txt"}) {
        const std::string before = test::ReadFile(stage);
        std::string changed = before;
        changed[changed.find_first_of("123456789")] = '0';
        test::WriteFile(stage, changed);
        whole::ExpectVerify(KEPT_ROUTE, 2, "another stage");
        test::WriteFile(stage, before);
    }
}

// A minute of walking about, two kills and a restart with C, then the route: the kept
// demo holds only the run that cleared, with what it carried over (the random sequence
// the kills moved on, the hero's facing), and verifies alone.
TEST(DemoState, AClearAfterAMinuteOfWalkingAndARestartKeepsASmallDemo) {
    whole::GameRun run([] { StartRecording(); });
    ClearAfter(run, [&run] {
        bool ok = true;
        for (int key : {VK_DOWN, VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN, VK_RIGHT, VK_UP, VK_LEFT, VK_UP, VK_DOWN}) {
            ok = ok && run.Hold(key, 300);
        }
        ok = ok && run.PressUntil('C', [] { return g_scene == SCENE_STAGE_INIT; }) && run.UntilScene(SCENE_PLAY);
        ok = ok && whole::PlayRoute(run, [] { return false; }) == false && g_killCount == 2;
        return ok && run.PressUntil('C', [] { return g_scene == SCENE_STAGE_INIT; }) && run.UntilScene(SCENE_PLAY);
    });
    // The restart moved the frames' phase by a millisecond or so: whatever the score, its demo.
    const int place = LastClear().place;
    ASSERT_GT(place, 0);
    const std::string score = std::to_string(g_ranking[place - 1]);
    const std::string kept = PlaceDemoPath(place - 1, g_ranking, "txt\\Ranking\\Ranking.txt");
    ASSERT_TRUE(fs::exists(kept));
    const std::uintmax_t size = fs::file_size(kept);
    std::printf("kept demo of a clear after a minute of walking and a restart: %ju bytes\n", size);
    EXPECT_LT(size, 8192u);
    whole::ExpectVerify(kept, 0, ", score " + score + "\nplayer: PLAYER\n");
}

TEST(DemoState, EveryReleaseDemoVerifies) {
    test::DataDir dir;
    int seen = 0;
    for (const fs::directory_entry& file : fs::directory_iterator(LB_SOURCE_DIR "/tests/demos")) {
        whole::ExpectVerify(file.path().string(), 0, "clear 1: ");
        ++seen;
    }
    EXPECT_GE(seen, 2);
}

// The digest the server tells duplicates by: the inputs alone.
TEST(DemoState, TheInputsDigestIgnoresTheNameTheDateAndThePacking) {
    const Demo golden = ReadDemo(LB_SOURCE_DIR "/tests/demos/restart-format3.lbdemo");
    std::vector<std::uint8_t> stream;
    ASSERT_TRUE(UnpackDemo(golden, &stream));
    DemoHeader header = golden.header;
    header.player = "Someone Else";
    header.date = 1234567890;
    Demo renamed;
    ASSERT_TRUE(PackDemo(header, stream, &renamed));
    Demo decoded;
    std::string why;
    ASSERT_TRUE(DecodeDemo(EncodeDemo(renamed), &decoded, &why)) << why;
    EXPECT_EQ(decoded.header.player, "Someone Else");
    EXPECT_EQ(decoded.scan.inputs, golden.scan.inputs);

    // Packed fast instead of small.
    Demo fast = golden;
    uLongf length = compressBound(static_cast<uLong>(stream.size()));
    fast.packed.resize(length);
    ASSERT_EQ(compress2(fast.packed.data(), &length, stream.data(), static_cast<uLong>(stream.size()), 1), Z_OK);
    fast.packed.resize(length);
    EXPECT_NE(fast.packed, golden.packed);
    ASSERT_TRUE(DecodeDemo(EncodeDemo(fast), &decoded, &why)) << why;
    EXPECT_EQ(decoded.scan.inputs, golden.scan.inputs);

    EXPECT_NE(whole::EditedKey(golden, VK_RIGHT, VK_UP).scan.inputs, golden.scan.inputs);
}

std::string PackedDemo(const DemoHeader& header, const std::vector<std::uint8_t>& stream) {
    Demo demo;
    EXPECT_TRUE(PackDemo(header, stream, &demo));
    return EncodeDemo(demo);
}

// A week of pauses, a ranking file of 250 MB, a stream said to be 256 MB, a deflate bomb,
// another rules version.
void MakeHostileDemos() {
    const Demo golden = ReadDemo(whole::KEPT_DEMO);
    DemoHeader header = golden.header;
    header.format = DEMO_FORMAT;
    auto write = [](const std::string& name, const std::string& bytes) { test::WriteFile(name, bytes); };
    // A week of the game standing still: a clock read a second, a pump a second.
    std::vector<std::uint8_t> week;
    for (int second = 0; second < 7 * 24 * 3600; ++second) {
        week.push_back(TAG_TICK);
        PutVarint(week, 1000);
        week.push_back(TAG_PUMP);
    }
    write("week.lbdemo", PackedDemo(header, week));
    // A ranking file of 250 MB, said to be.
    std::vector<std::uint8_t> ranking{TAG_FILE, 1};
    PutVarint(ranking, 250u << 20);
    ranking.resize(ranking.size() + 1000, '7');
    write("ranking.lbdemo", PackedDemo(header, ranking));
    // A stream said to be longer than a demo may be, in a header of 36 bytes.
    Demo declared;
    ASSERT_TRUE(PackDemo(header, {TAG_PUMP}, &declared));
    declared.streamLength = 256u << 20;
    std::string bytes = EncodeDemo(declared);
    write("declared.lbdemo", bytes.substr(0, 36));
    // Zeros said to be short: they unpack to far more than the header says.
    std::vector<std::uint8_t> zeros(100u << 20, 0);
    Demo bomb;
    ASSERT_TRUE(PackBytes(zeros, &bomb.packed));
    zeros = {};
    bomb.header = header;
    bomb.streamLength = 1000;
    write("bomb.lbdemo", EncodeDemo(bomb));
    // Another rules version.
    DemoHeader rules = header;
    rules.rules = DEMO_RULES + 1;
    write("rules.lbdemo", PackedDemo(rules, {TAG_PUMP}));
}


// Each refused with exit 2, a line on stderr, at once and in little memory.
TEST(DemoState, HostileDemosAreRefusedCleanlyInLittleMemory) {
    test::DataDir dir;
    // Made apart, so that this process stays small for the children's measures.
    std::vector<std::string> names = {"week.lbdemo", "ranking.lbdemo", "declared.lbdemo", "bomb.lbdemo",
                                      "rules.lbdemo"};
    ASSERT_TRUE(whole::Apart(MakeHostileDemos));
    ASSERT_EQ(mkfifo("fifo.lbdemo", 0600), 0);
    for (const char* other : {"fifo.lbdemo", "/dev/zero", "/proc/self/mem"}) names.push_back(other);
    for (const std::string& name : names) {
        const Verified verified = whole::Verify(name);
        EXPECT_EQ(verified.code, 2) << name << ": " << verified.out;
        EXPECT_EQ(verified.out.rfind("lantern-blade: ", 0), 0u) << name << ": " << verified.out;
        EXPECT_EQ(std::count(verified.out.begin(), verified.out.end(), '\n'), 1) << name << ": " << verified.out;
        EXPECT_LT(verified.peakKb, 150 * 1024) << name;
    }
    EXPECT_NE(whole::Verify("rules.lbdemo").out.find("rules version 2"), std::string::npos);
}


bool g_escapeInWaits = false;

// A recording made while the game stood still for 30 s: watched, the step takes a
// second at most; Escape stops a watch at once, pressed even while it waits.
TEST(DemoState, AWatchedStallWaitsASecondAtMostAndEscapeStopsIt) {
    test::ScratchDir dir;
    const Demo stalled = whole::RecordedApart([](whole::GameRun& run) {
        ASSERT_TRUE(run.UntilScene(SCENE_PLAY) && run.Frames(20));
        headless::Advance(30000);
        ASSERT_TRUE(run.Frames(20));
    });
    ASSERT_GE(stalled.scan.clockMs, 30000u);
    test::CopyRealData();

    EXPECT_TRUE(whole::Apart([&stalled] {
        ASSERT_TRUE(StartReplay(stalled, true, false));
        test::StartGame();
        const std::uint64_t start = headless::Now();
        whole::ReplayToEnd();
        EXPECT_LE(headless::Now() - start, stalled.scan.clockMs - 29000);
    }));

    ASSERT_TRUE(StartReplay(stalled, true, false));
    test::StartGame();
    ASSERT_TRUE(test::RunUntil([] { return g_scene == SCENE_PLAY; }));
    backend::Backend host = headless::Backend();
    host.clock.idle = [](std::uint32_t ms) {
        if (g_escapeInWaits) headless::PressKey(VK_ESCAPE);
        headless::Backend().clock.idle(ms);
    };
    backend::Install(host);
    g_escapeInWaits = true;
    const std::uint64_t pressed = headless::Now();
    test::Turn();
    EXPECT_TRUE(DemoStopped());
    EXPECT_LE(headless::Now() - pressed, 20u);
}

}  // namespace
