// A long run of random key states (never Escape) on the shipped data: no crash, no end,
// and resident memory as high after 100,000 frames as after 10,000.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <random>

#include "game/scene_state.h"
#include "platform/headless/headless.h"
#include "platform/win32.h"
#include "tests/whole_game/game_run.h"

namespace {

constexpr int KEYS[] = {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, 'Z', 'X', 'C', 'A'};

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
    while (headless::FrameCount() < 100000) {
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
        headless::Advance(19);  // so every turn that runs a scene draws
        ASSERT_TRUE(run.Turn()) << "the game ended after " << headless::FrameCount() << " frames";
        // The menus' quit items would end the run; they lead back to the title instead.
        if (g_scene == SCENE_QUIT_INIT) g_scene = SCENE_TITLE_INIT;
        if (residentWarm == 0 && headless::FrameCount() >= 10000) residentWarm = ResidentBytes();
        if (headless::MciLog().size() > 10000) headless::ClearMciLog();
    }
    // AddressSanitizer keeps freed blocks and shadow memory; its leak check stands in. The
    // slack allows for the allocator; a picture or brush leaked per scene change exceeds it.
#if !defined(__SANITIZE_ADDRESS__)
    EXPECT_LT(ResidentBytes() - residentWarm, 4L << 20) << "resident after 10,000 frames: " << residentWarm;
#endif
    EXPECT_GT(run.Scenes().size(), 100u) << "the keys went round the ring, not only round the play";
}

}  // namespace
