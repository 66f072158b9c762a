// A long run of random key states (never Escape) on the shipped data: no crash, no end,
// and resident memory as high after 100,000 frames as after 10,000.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <random>

#include "game/scene_state.h"
#include "gfx/surfaces.h"
#include "platform/headless/headless.h"
#include "platform/win32.h"
#include "tests/support/harness.h"
#include "tests/whole_game/game_run.h"

namespace {

constexpr int KEYS[] = {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, 'Z', 'X', 'C', 'A'};
constexpr std::uint64_t WARM_FRAMES = 10000;
constexpr std::uint64_t SOAK_FRAMES = 100000;
// Some slack for the allocator's own bookkeeping; a leak of a picture, a frame or a
// brush per scene change would pass it within the 90,000 frames.
constexpr long MAX_GROWTH_BYTES = 4L << 20;
// AddressSanitizer holds freed blocks back for a while and keeps shadow memory, so
// resident memory says nothing there; its leak check at exit stands in.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool MEMORY_MEANINGFUL = false;
#else
constexpr bool MEMORY_MEANINGFUL = true;
#endif

long ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * ::sysconf(_SC_PAGESIZE);
}

// Each frame every key keeps its state or, one time in four, is drawn afresh: held one
// time in four. Keys therefore stay down for a few frames, as a player's do.
void ShuffleKeys(std::mt19937& random) {
    for (int key : KEYS) {
        if (random() % 4 != 0) continue;
        if (random() % 4 == 0) {
            headless::PressKey(key);
        } else {
            headless::ReleaseKey(key);
        }
    }
}

TEST(Soak, RandomKeysForAHundredThousandFramesNeitherCrashNorGrow) {
    test::ScratchDir dir;
    test::CopyRealData();
    whole::GameRun run;
    std::mt19937 random(7);
    long residentWarm = 0;
    int quitsTurnedBack = 0;
    while (headless::FrameCount() < SOAK_FRAMES) {
        const std::uint64_t frames = headless::FrameCount();
        ShuffleKeys(random);
        // Each turn finds a frame's time passed, so every turn that runs a scene draws.
        headless::Advance(19);
        ASSERT_TRUE(run.Turn()) << "the game ended after " << frames << " frames";
        // The menus' quit items would end the run; they lead back to the title instead.
        if (g_scene == SCENE_QUIT_INIT) {
            g_scene = SCENE_TITLE_INIT;
            ++quitsTurnedBack;
        }
        if (frames < WARM_FRAMES && headless::FrameCount() >= WARM_FRAMES) {
            residentWarm = ResidentBytes();
        }
        // The command log belongs to the test backend, not to the game.
        if (headless::MciLog().size() > 10000) headless::ClearMciLog();
    }
    const long residentEnd = ResidentBytes();
    if (MEMORY_MEANINGFUL) {
        EXPECT_LT(residentEnd - residentWarm, MAX_GROWTH_BYTES)
            << "resident " << residentWarm << " bytes after " << WARM_FRAMES << " frames, "
            << residentEnd << " after " << SOAK_FRAMES;
    }
    EXPECT_NE(g_dd, nullptr);
    // The random keys went round the ring, not only round the play.
    EXPECT_GT(run.Scenes().size(), 100u);
    EXPECT_GT(quitsTurnedBack, 0);
}

}  // namespace
