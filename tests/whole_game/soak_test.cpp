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
#include "tests/whole_game/game_run.h"

namespace {

constexpr int KEYS[] = {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, 'Z', 'X', 'C', 'A'};
constexpr std::uint64_t WARM_FRAMES = 10000;
constexpr std::uint64_t SOAK_FRAMES = 100000;
// Slack for the allocator's bookkeeping; a picture, frame or brush leaked per scene
// change would pass it within the 90,000 frames.
constexpr long MAX_GROWTH_BYTES = 4L << 20;

long ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * ::sysconf(_SC_PAGESIZE);
}

TEST(Soak, RandomKeysForAHundredThousandFramesNeitherCrashNorGrow) {
    whole::GameRun run;
    std::mt19937 random(7);
    [[maybe_unused]] long residentWarm = 0;
    int quitsTurnedBack = 0;
    while (headless::FrameCount() < SOAK_FRAMES) {
        const std::uint64_t frames = headless::FrameCount();
        // One time in four a key's state is drawn afresh, held one time in four: keys
        // stay down a few frames, as a player's do.
        for (int key : KEYS) {
            if (random() % 4 != 0) continue;
            if (random() % 4 == 0) {
                headless::PressKey(key);
            } else {
                headless::ReleaseKey(key);
            }
        }
        // A frame's time passes each turn, so every turn that runs a scene draws.
        headless::Advance(19);
        ASSERT_TRUE(run.Turn()) << "the game ended after " << frames << " frames";
        // The menus' quit items would end the run; they lead back to the title instead.
        if (g_scene == SCENE_QUIT_INIT) {
            g_scene = SCENE_TITLE_INIT;
            ++quitsTurnedBack;
        }
        if (frames < WARM_FRAMES && headless::FrameCount() >= WARM_FRAMES) residentWarm = ResidentBytes();
        // The command log belongs to the test backend, not to the game.
        if (headless::MciLog().size() > 10000) headless::ClearMciLog();
    }
    // AddressSanitizer holds freed blocks back and keeps shadow memory, so resident
    // memory says nothing there; its leak check at exit stands in.
#if !defined(__SANITIZE_ADDRESS__)
    const long residentEnd = ResidentBytes();
    EXPECT_LT(residentEnd - residentWarm, MAX_GROWTH_BYTES)
        << "resident " << residentWarm << " bytes after " << WARM_FRAMES << " frames, " << residentEnd
        << " after " << SOAK_FRAMES;
#endif
    EXPECT_NE(g_dd, nullptr);
    // The random keys went round the ring, not only round the play.
    EXPECT_GT(run.Scenes().size(), 100u);
    EXPECT_GT(quitsTurnedBack, 0);
}

}  // namespace
