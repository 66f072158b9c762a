// The browser backend's C++ built natively over a page double: what a key, a pad, a
// frame, a volume key, the loop's turns, the storage and the packing do in the page.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/host/files.h"
#include "platform/host/files_internal.h"
#include "platform/host/packing.h"
#include "platform/overlay/overlay.h"
#include "platform/policy/settings.h"
#include "platform/policy/volume.h"
#include "platform/seam/backend.h"
#include "platform/seam/keys.h"
#include "platform/web/web_backend.h"
#include "tests/web/page_double.h"

extern "C" {
const char* WebPlayerName();
int WebClassic();
void WebChangeSettings(const char* name, int classic);
void WebTurns();
void WebStart();
void WebUseVirtualClock(const char* script);
}

namespace {

using Strings = std::vector<std::string>;

// A folder of its own for the test, its working folder.
class ScratchDir {
public:
    ScratchDir() {
        char name[] = "/tmp/lantern-blade-web-XXXXXX";
        path_ = mkdtemp(name);
        std::filesystem::current_path(path_);
    }
    ~ScratchDir() { std::filesystem::remove_all(path_); }
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

std::vector<int> g_pressed;
std::vector<bool> g_active;

class Page : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("XDG_CONFIG_HOME", (dir_.Path() / "config").c_str(), 1);
        backend::Install(web_backend::Backend());
        ASSERT_TRUE(Device().display.open("Lantern Blade"));
        page::TakeCalls();
    }

    // The browser backend's table, as the stand-in calls it.
    static const backend::Backend& Device() { return web_backend::Backend(); }

    // The presses since the last pump.
    static std::vector<int> Pump() {
        g_pressed.clear();
        Device().input.pumpEvents({[](int key) { g_pressed.push_back(key); }, [] {},
                                   [](bool active) { g_active.push_back(active); }});
        return g_pressed;
    }

    static bool Held(int virtualKey) { return Device().input.keyHeld(virtualKey); }

    // The settings saved, and made to last in the browser's store.
    std::string Kept() const { return "keep " + (dir_.Path() / "config/lantern-blade/settings.ini").string(); }

    static std::string Levels(int percent, bool muted) {
        return "levels " + std::to_string(policy::MusicGain(percent, muted)) + " " +
               std::to_string(policy::EffectsGain(percent, muted));
    }

    ScratchDir dir_;
};

TEST_F(Page, KeysMeanWhatThePolicySaysAndTheBrowsersShortcutsStayItsOwn) {
    EXPECT_TRUE(page::Key(true, "z", "KeyZ"));
    EXPECT_TRUE(page::Key(true, "Enter", "Enter"));
    EXPECT_TRUE(page::Key(true, "ArrowLeft", "ArrowLeft"));
    EXPECT_TRUE(page::Key(true, "7", "Digit7"));
    EXPECT_FALSE(page::Key(true, "c", "KeyC", false, true)) << "Ctrl+C is the browser's";
    EXPECT_FALSE(page::Key(true, "q", "KeyQ", true)) << "so is Alt with a key";
    EXPECT_FALSE(page::Key(true, "Tab", "Tab")) << "a key nobody uses";
    EXPECT_EQ(Pump(), (std::vector<int>{'Z', VK_RETURN, VK_LEFT, '7'}));
    EXPECT_TRUE(Held(VK_LEFT));
    EXPECT_FALSE(Held('C'));
    page::Key(false, "z", "KeyZ");
    EXPECT_TRUE(Held('Z')) << "Enter held counts as Z";
    page::Key(false, "Enter", "Enter");
    EXPECT_FALSE(Held('Z'));
    // Space counts as Z while held, and presses nothing.
    EXPECT_TRUE(page::Key(true, " ", "Space"));
    EXPECT_TRUE(Held('Z'));
    EXPECT_TRUE(Pump().empty());
    // A page that loses the focus hears no key-up: what was held is let go.
    page::Focus(false);
    EXPECT_FALSE(Held(VK_LEFT));
    EXPECT_FALSE(Held('Z'));
}

// The hotkeys act at once, the volume keys on the game's turn (saving the settings), and
// each says what it did; the levels are the policy's, as on the desktop.
TEST_F(Page, HotkeysActAndTheSoundFollowsThePolicysVolumeLaw) {
    EXPECT_EQ(Device().sound.open("BATTLE03.ogg", true), 0);
    EXPECT_EQ(Device().sound.open("Sword.wav", false), 1);
    EXPECT_EQ(page::TakeCalls(), (Strings{"open BATTLE03.ogg as music", Levels(100, false), "open Sword.wav"}));
    EXPECT_TRUE(page::Key(true, "F11", "F11"));
    EXPECT_TRUE(page::Key(true, "Enter", "Enter", true));
    EXPECT_TRUE(page::Key(true, "m", "KeyM"));
    EXPECT_TRUE(page::Key(true, "m", "KeyM", false, false, true)) << "a held M does not flicker";
    EXPECT_TRUE(page::Key(true, "-", "Minus"));
    EXPECT_TRUE(page::Key(true, "-", "Minus", false, false, true));
    EXPECT_EQ(page::TakeCalls(), (Strings{"fullscreen", "fullscreen", Levels(100, true), "note Muted"}));
    EXPECT_TRUE(Pump().empty());
    EXPECT_EQ(page::TakeCalls(), (Strings{Levels(90, true), Kept(), "note Volume 90 %", Levels(80, true), Kept(),
                                          "note Volume 80 %"}));
    EXPECT_EQ(LoadSettings().musicVolume, 80);
    page::Key(true, "=", "Equal");
    page::Key(true, "M", "KeyM");
    Pump();
    EXPECT_EQ(page::TakeCalls(),
              (Strings{Levels(80, false), "note Sound on", Levels(90, false), Kept(), "note Volume 90 %"}));
    Device().sound.play(0);
    Device().sound.stop(0);
    Device().sound.close(0);
    EXPECT_EQ(page::TakeCalls(), (Strings{"play 0", "stop 0", "close 0"}));
}

// Canvas pixels are the bytes R, G, B, A; only the rows and columns that changed (in
// groups of four) are sent, and nothing while the page is hidden.
TEST_F(Page, AFrameGoesOnTheCanvasInItsColoursOnlyWhereItChanged) {
    WebStart();
    std::vector<std::uint8_t> pixels(640 * 480, 0);
    std::uint32_t palette[256] = {};
    palette[1] = 0x123456;
    pixels[10 * 640 + 20] = 1;
    Device().display.present(pixels.data(), palette);
    const page::Page& shown = page::Get();
    EXPECT_EQ(shown.canvas[10 * 640 + 20], 0xFF563412u);
    EXPECT_EQ(shown.canvas[10 * 640 + 21], 0xFF000000u);
    EXPECT_EQ(std::vector<int>(shown.presentedRect, shown.presentedRect + 4), (std::vector<int>{0, 0, 640, 480}));
    pixels[100 * 640 + 301] = 1;
    Device().display.present(pixels.data(), palette);
    EXPECT_EQ(std::vector<int>(shown.presentedRect, shown.presentedRect + 4), (std::vector<int>{300, 100, 304, 101}));
    EXPECT_EQ(shown.canvas[100 * 640 + 301], 0xFF563412u);
    Device().display.present(pixels.data(), palette);
    EXPECT_EQ(std::vector<int>(shown.presentedRect, shown.presentedRect + 4), (std::vector<int>{640, 480, 0, 0}));

    // Hidden, nothing is drawn, and the game hears of it on its next turn.
    page::Hide(true);
    Pump();
    pixels[0] = 1;
    Device().display.present(pixels.data(), palette);
    EXPECT_EQ(shown.presents, 3);
    EXPECT_EQ(shown.canvas[0], 0xFF000000u);
    page::Hide(false);
    Pump();
    EXPECT_EQ(g_active, (std::vector<bool>{false, true}));
}

// The overlay is drawn over the picture once: a frame that changes only rows away from it
// leaves its shade as it was, and a change in its rows converts them again only across its
// columns (and the change's).
TEST_F(Page, TheOverlayIsDrawnOnceAndRowsUnderItConvertedOnlyInItsColumns) {
    WebStart();
    overlay::SetFeed([](overlay::View* view) { view->note = "Sound on"; });
    overlay::Compose();
    const overlay::Rect box = overlay::Shown().rects.front();
    const std::size_t under = static_cast<std::size_t>(box.y) * 640 + static_cast<std::size_t>(box.x);
    std::vector<std::uint8_t> pixels(640 * 480, 1);
    std::uint32_t palette[256] = {};
    palette[1] = 0x808080;
    palette[2] = 0x123456;
    Device().display.present(pixels.data(), palette);
    const page::Page& shown = page::Get();
    const std::uint32_t shaded = shown.canvas[under];
    EXPECT_NE(shaded, 0xFF808080u) << "the overlay is drawn";
    pixels[0] = 2;
    Device().display.present(pixels.data(), palette);
    EXPECT_EQ(shown.canvas[under], shaded) << "drawn twice over";
    pixels[static_cast<std::size_t>(box.y) * 640 + 639] = 2;
    Device().display.present(pixels.data(), palette);
    EXPECT_EQ(shown.canvas[under], shaded);
    const overlay::Picture& drawn = overlay::Shown();
    int left = 640;
    for (const overlay::Rect& rect : drawn.rects) left = std::min<int>(left, rect.x);
    EXPECT_EQ(std::vector<int>(shown.presentedRect, shown.presentedRect + 4),
              (std::vector<int>{left, drawn.top, 640, drawn.bottom}));
    // The overlay alone changes over a still picture: it is drawn anew.
    overlay::SetFeed([](overlay::View* view) { view->note = "Sound off"; });
    overlay::Compose();
    Device().display.present(pixels.data(), palette);
    EXPECT_NE(std::vector<int>(shown.presentedRect, shown.presentedRect + 4), (std::vector<int>{640, 480, 0, 0}));
    overlay::SetFeed(nullptr);
    overlay::Compose();
}

// The first picture stands until the player's first key, click or touch.
TEST_F(Page, TheFirstPictureIsHeldUntilThePlayersStart) {
    std::vector<std::uint8_t> pixels(640 * 480, 0);
    std::uint32_t palette[256] = {};
    Device().display.present(pixels.data(), palette);
    Pump();
    EXPECT_TRUE(g_active.empty()) << "a black frame is no picture";
    palette[1] = 0x123456;
    pixels[5] = 1;
    Device().display.present(pixels.data(), palette);
    Device().display.present(pixels.data(), palette);
    Pump();
    EXPECT_EQ(page::Get().presents, 2);
    EXPECT_EQ(g_active, std::vector<bool>{false});
    WebStart();
    Pump();
    Device().display.present(pixels.data(), palette);
    EXPECT_EQ(page::Get().presents, 3);
    EXPECT_EQ(g_active, (std::vector<bool>{false, true}));
}

// Where WebGL draws, the changed rows' indices go to it with the overlay, unconverted.
TEST(WebGl, TheChangedRowsGoToTheGpuAsIndices) {
    page::Get().canvasKind = 2;
    ASSERT_TRUE(web_backend::Backend().display.open("Lantern Blade"));
    WebStart();
    std::vector<std::uint8_t> pixels(640 * 480, 0);
    std::uint32_t palette[256] = {};
    palette[1] = 0x123456;
    pixels[7 * 640] = 1;
    web_backend::Backend().display.present(pixels.data(), palette);
    pixels[9 * 640 + 3] = 1;
    web_backend::Backend().display.present(pixels.data(), palette);
    EXPECT_EQ(page::TakeCalls(), (Strings{"open 640x480", "indexed rows 0 to 480, 0 overlay rectangles",
                                          "indexed rows 9 to 10, 0 overlay rectangles"}));
    EXPECT_EQ(page::Get().presents, 0);
}

// The page's name and classic switch wait for the game's turn, then are saved as the
// desktop's settings; a name the settings refuse changes nothing; a run goes to the page.
TEST_F(Page, ThePagesSettingsAreTheGamesAndARunIsSentThroughThePage) {
    WebChangeSettings("ALICE", 1);
    EXPECT_STREQ(WebPlayerName(), "ALICE");
    EXPECT_EQ(WebClassic(), 1);
    EXPECT_EQ(LoadSettings().name, "") << "not before the game's turn";
    Pump();
    EXPECT_EQ(LoadSettings().name, "ALICE");
    EXPECT_TRUE(LoadSettings().classic);
    WebChangeSettings("tab\there", 0);
    Pump();
    EXPECT_STREQ(WebPlayerName(), "ALICE");
    EXPECT_EQ(WebClassic(), 1);
    Device().world.send("/txt/Ranking/3439-0.lbdemo");
    EXPECT_EQ(page::TakeCalls(), (Strings{Kept(), "send /txt/Ranking/3439-0.lbdemo"}));
}

TEST_F(Page, PadButtonsPressOnceAndHoldTheirKeysAsThePolicyMapsThem) {
    EmscriptenGamepadEvent pad{};
    pad.connected = EM_TRUE;
    pad.numButtons = 17;
    pad.numAxes = 4;
    pad.digitalButton[0] = EM_TRUE;   // south
    pad.digitalButton[12] = EM_TRUE;  // up
    page::Get().pads = {pad};
    EXPECT_EQ(Pump(), (std::vector<int>{VK_UP, 'Z'}));
    EXPECT_TRUE(Pump().empty()) << "held, not pressed again";
    EXPECT_TRUE(Held('Z'));
    EXPECT_TRUE(Held(VK_UP));
    EXPECT_FALSE(Held(VK_DOWN));
    pad.digitalButton[0] = pad.digitalButton[12] = EM_FALSE;
    pad.digitalButton[1] = pad.digitalButton[13] = pad.digitalButton[14] = pad.digitalButton[15] = EM_TRUE;
    pad.axis[0] = 0.9;
    page::Get().pads = {pad};
    EXPECT_EQ(Pump(), (std::vector<int>{VK_DOWN, VK_LEFT, VK_RIGHT, 'X'}));
    EXPECT_FALSE(Held('Z'));
    pad.digitalButton[14] = EM_FALSE;
    pad.digitalButton[9] = EM_TRUE;  // start
    pad.digitalButton[1] = EM_FALSE;
    pad.numButtons = 10;             // a pad without the d-pad's buttons
    page::Get().pads = {pad};
    EXPECT_EQ(Pump(), (std::vector<int>{'X'}));
    EXPECT_TRUE(Held(VK_RIGHT)) << "the stick";
    EXPECT_FALSE(Held(VK_DOWN));
    pad.connected = EM_FALSE;
    page::Get().pads = {pad};
    Pump();
    EXPECT_FALSE(Held('X'));
}

// Turns run until one pauses (its wait to the next batch) or a batch has run 30 ms; the
// game's quit ends the program with its code, in the next batch.
int g_turn = 0;
bool Turn(int* exitCode) {
    ++g_turn;
    page::Get().now += 10;
    if (g_turn == 4) web_backend::Backend().clock.idle(5);
    if (g_turn == 5) web_backend::Backend().clock.idle(0);
    *exitCode = 3;
    return g_turn == 6;
}

TEST_F(Page, TheBrowserRunsTheTurnsInBatchesUntilTheGameQuits) {
    EXPECT_EQ(Device().clock.runTurns(Turn), 0) << "main returns to the browser at once";
    EXPECT_EQ(page::TakeCalls(), Strings{"run turns"});
    WebTurns();
    EXPECT_EQ(g_turn, 3);
    EXPECT_EQ(page::TakeCalls(), Strings{"next batch 0"});
    WebTurns();
    EXPECT_EQ(page::TakeCalls(), Strings{"next batch 5"});
    WebTurns();
    EXPECT_EQ(page::TakeCalls(), Strings{"next batch 1"});
    WebTurns();
    EXPECT_EQ(page::TakeCalls(), Strings{"next batch 0"}) << "the program ends in a batch of its own";
    EXPECT_EQ(page::Get().exitCode, -1);
    WebTurns();
    EXPECT_EQ(page::TakeCalls(), Strings{}) << "no batch after the quit";
    EXPECT_EQ(page::Get().exitCode, 3);
    EXPECT_EQ(g_turn, 6);
    EXPECT_EQ(Device().clock.nowMs(), 60u);
}

// The test clock: a millisecond a pause from where the headless tests start, keys from a
// script stamped with pumps, and no sound played.
TEST_F(Page, UnderTheTestClockTimeAndKeysAreScripted) {
    WebUseVirtualClock("0 90 1\n2 90 0\n");
    EXPECT_EQ(Device().clock.nowMs(), 1000000u);
    Device().clock.idle(20);
    EXPECT_EQ(Device().clock.nowMs(), 1000001u);
    EXPECT_EQ(Pump(), std::vector<int>{'Z'});
    Pump();
    EXPECT_TRUE(Held('Z'));
    Pump();
    EXPECT_FALSE(Held('Z'));
    Device().sound.play(0);
    EXPECT_TRUE(page::TakeCalls().empty());
    // Every frame's number, time since the first and checksum, for the golden run's.
    std::vector<std::uint8_t> pixels(640 * 480, 0);
    const std::uint32_t palette[256] = {};
    Device().display.present(pixels.data(), palette);
    Device().clock.idle(1);
    Device().display.present(pixels.data(), palette);
    ASSERT_EQ(page::Get().recordedFrames.size(), 2u);
    EXPECT_EQ(page::Get().recordedFrames[1].substr(0, 4), "1 1 ");
    EXPECT_EQ(page::Get().recordedFrames[1].size(), 4u + 16u);
}

// The lock another tab may hold, the store that makes a change last, and packing through
// the browser's streams, readable where zlib wrote it.
TEST_F(Page, FilesAreLockedKeptAndPackedTheBrowsersWay) {
    const std::string folder = std::filesystem::current_path().string();
    std::string failure;
    EXPECT_EQ(LockGameFile("txt\\Ranking\\Ranking.txt", LockWait::FewSeconds, &failure), 7);
    page::Get().lockAnswer = 0;
    EXPECT_EQ(LockGameFile("txt\\Ranking\\Ranking.txt", LockWait::FewSeconds, &failure), -1);
    EXPECT_EQ(failure, "another tab keeps the ranking locked");
    page::Get().lockAnswer = -1;
    EXPECT_EQ(LockGameFile("txt\\Ranking\\Ranking.txt", LockWait::FewSeconds, &failure), -1);
    EXPECT_EQ(failure, "the browser's storage cannot be read");
    UnlockGameFile(7);
    UnlockGameFile(0);
    KeepFile("txt/../Ranking.txt");
    const std::string lock = "lock " + folder + "/txt/Ranking/Ranking.txt";
    EXPECT_EQ(page::TakeCalls(), (Strings{lock, lock, lock, "unlock 7", "keep " + folder + "/Ranking.txt"}));

    std::vector<std::uint8_t> bytes(100000);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * i >> 7);
    std::vector<std::uint8_t> packed;
    ASSERT_TRUE(PackBytes(bytes, &packed));
    std::vector<std::uint8_t> unpacked(bytes.size() + 1);
    Unpacker unpacker(packed.data(), packed.size());
    std::size_t at = 0;
    for (long n; (n = unpacker.Next(unpacked.data() + at, 4096)) > 0;) at += static_cast<std::size_t>(n);
    unpacked.resize(at);
    EXPECT_EQ(unpacked, bytes);
    packed[packed.size() / 2] ^= 0xFF;
    Unpacker damaged(packed.data(), packed.size());
    EXPECT_EQ(damaged.Next(unpacked.data(), 10), -1);
}

}  // namespace
