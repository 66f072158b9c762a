// The window and its message queue over the headless backend. Every test runs in its own
// process, so the queue and the window start empty.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/mmsystem.h"
#include "platform/win32.h"
#include "tests/support/harness.h"

namespace {

std::vector<MSG> g_received;
bool g_postInCreate = false;

LRESULT RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    g_received.push_back(MSG{hwnd, message, wParam, lParam, 0, POINT{0, 0}});
    if (message == WM_CREATE && g_postInCreate) PostMessageA(hwnd, WM_KEYUP, 7, 0);
    return 0;
}

HWND MakeWindow() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = RecordingProc;
    windowClass.lpszClassName = "Test Class";
    RegisterClassA(&windowClass);
    return CreateWindowExA(WS_EX_TOPMOST, "Test Class", "Direct X", WS_POPUP | WS_VISIBLE,
                           CW_USEDEFAULT, CW_USEDEFAULT, 640, 480, nullptr, nullptr, nullptr,
                           nullptr);
}

}  // namespace

TEST(Window, CreateDeliversWmCreateBeforeReturningAndBeforeQueuedMessages) {
    g_postInCreate = true;
    HWND hwnd = MakeWindow();
    ASSERT_NE(hwnd, nullptr);
    ASSERT_EQ(g_received.size(), 1u);
    EXPECT_EQ(g_received[0].message, WM_CREATE);
    EXPECT_EQ(g_received[0].hwnd, hwnd);

    // What the window procedure posted during creation waits in the queue.
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_KEYUP);
    EXPECT_EQ(msg.hwnd, hwnd);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST(Window, NoDisplayOrUnknownClassGivesNoWindowAndNoWmCreate) {
    headless::SetDisplayAvailable(false);
    EXPECT_EQ(MakeWindow(), nullptr);
    headless::SetDisplayAvailable(true);
    EXPECT_EQ(CreateWindowExA(0, "No Such Class", "x", 0, 0, 0, 640, 480, nullptr, nullptr,
                              nullptr, nullptr),
              nullptr);
    EXPECT_TRUE(g_received.empty());
}

TEST(MessageQueue, PeekWithoutRemoveKeepsOrderAndDispatchReachesTheWindowProc) {
    HWND hwnd = MakeWindow();
    g_received.clear();
    PostMessageA(hwnd, WM_KEYUP, 1, 10);
    PostMessageA(hwnd, WM_KEYUP, 2, 20);

    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.wParam, 1u);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.wParam, 1u);
    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.wParam, 1u);
    DispatchMessageA(&msg);
    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.wParam, 2u);
    EXPECT_EQ(msg.lParam, 20);
    DispatchMessageA(&msg);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));

    ASSERT_EQ(g_received.size(), 2u);
    EXPECT_EQ(g_received[1].hwnd, hwnd);
    EXPECT_EQ(g_received[1].wParam, 2u);
    EXPECT_EQ(g_received[1].lParam, 20);
}

TEST(MessageQueue, QuitComesAfterEarlierMessagesAndCarriesTheExitCode) {
    HWND hwnd = MakeWindow();
    PostMessageA(hwnd, WM_KEYUP, 5, 0);
    PostQuitMessage(3);

    MSG msg{};
    EXPECT_NE(GetMessageA(&msg, nullptr, 0, 0), 0);
    EXPECT_EQ(msg.message, WM_KEYUP);
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 0);
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(static_cast<int>(msg.wParam), 3);
}

TEST(MessageQueue, GetMessageWaitsForAFinishReportedFromAnotherThread) {
    HWND hwnd = MakeWindow();
    test::ScratchDir dir;
    test::WriteFile("song.mid", "MThd");
    ASSERT_EQ(mciSendStringA("open song.mid alias S", nullptr, 0, nullptr), 0u);
    ASSERT_EQ(mciSendStringA("play S notify", nullptr, 0, hwnd), 0u);

    std::thread audio([] { headless::FinishPiece("song.mid"); });
    MSG msg{};
    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    audio.join();
    EXPECT_EQ(msg.message, MM_MCINOTIFY);
    EXPECT_EQ(msg.wParam, MCI_NOTIFY_SUCCESSFUL);
}

TEST(Keys, PressPostsKeyDownToTheWindowAndHoldsBit15UntilRelease) {
    HWND hwnd = MakeWindow();
    EXPECT_EQ(GetAsyncKeyState('Z'), 0);

    headless::PressKey(VK_ESCAPE);
    headless::PressKey('Z');
    EXPECT_NE(GetAsyncKeyState('Z') & 0x8000, 0);
    EXPECT_LT(GetAsyncKeyState('Z'), 0);  // bit 15 is the sign bit of a SHORT
    EXPECT_EQ(GetAsyncKeyState('X'), 0);

    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, hwnd);
    EXPECT_EQ(msg.message, WM_KEYDOWN);
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(VK_ESCAPE));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>('Z'));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));

    headless::ReleaseKey('Z');
    EXPECT_EQ(GetAsyncKeyState('Z'), 0);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));  // a release posts nothing
}

TEST(Keys, CloseRequestBecomesWmCloseForTheWindow) {
    HWND hwnd = MakeWindow();
    headless::RequestClose();
    MSG msg{};
    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.hwnd, hwnd);
    EXPECT_EQ(msg.message, WM_CLOSE);
}

TEST(Wsprintf, FormatsAndCutsAt1024Characters) {
    char text[16];
    EXPECT_EQ(wsprintfA(text, "%d fps", 50), 6);
    EXPECT_STREQ(text, "50 fps");

    std::vector<char> big(2048, 'x');
    const std::string longText(1500, 'a');
    EXPECT_EQ(wsprintfA(big.data(), "%s", longText.c_str()), 1023);
    EXPECT_EQ(std::strlen(big.data()), 1023u);
    EXPECT_EQ(big[1024], 'x');
}

TEST(Clock, TimeGetTimeIsTheBackendClockWrappedTo32Bits) {
    EXPECT_EQ(timeGetTime(), 1000000u);
    headless::SetTime((std::uint64_t{1} << 32) + 5);
    EXPECT_EQ(timeGetTime(), 5u);
    headless::SetTime((std::uint64_t{1} << 32) - 6);
    const DWORD before = timeGetTime();
    headless::Advance(16);
    EXPECT_EQ(timeGetTime() - before, 16u);
}
