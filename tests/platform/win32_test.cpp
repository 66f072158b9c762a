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

std::vector<UINT> g_received;

LRESULT RecordingProc(HWND hwnd, UINT message, WPARAM, LPARAM) {
    g_received.push_back(message);
    if (message == WM_CREATE) PostMessageA(hwnd, WM_KEYUP, 7, 0);
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

// The next message, which must be there.
MSG Next(UINT flags = PM_REMOVE) {
    MSG msg{};
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, flags));
    return msg;
}

}  // namespace

TEST(MessageQueue, WmCreateComesDuringCreationThenPostedMessagesInOrderThenQuit) {
    headless::SetDisplayAvailable(false);
    EXPECT_EQ(MakeWindow(), nullptr);
    headless::SetDisplayAvailable(true);
    EXPECT_EQ(CreateWindowExA(0, "No Such Class", "x", 0, 0, 0, 640, 480, nullptr, nullptr,
                              nullptr, nullptr),
              nullptr);
    EXPECT_TRUE(g_received.empty());
    HWND hwnd = MakeWindow();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(g_received, std::vector<UINT>{WM_CREATE});
    PostMessageA(hwnd, WM_KEYDOWN, 2, 20);
    PostQuitMessage(3);

    // What the window procedure posted during creation is first.
    EXPECT_EQ(Next(PM_NOREMOVE).wParam, 7u);
    MSG msg = Next();
    EXPECT_EQ(msg.hwnd, hwnd);
    EXPECT_EQ(msg.message, WM_KEYUP);
    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.lParam, 20);
    DispatchMessageA(&msg);
    EXPECT_EQ(g_received, (std::vector<UINT>{WM_CREATE, WM_KEYDOWN}));
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 0);
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST(MessageQueue, GetMessageWaitsForAFinishReportedFromAnotherThread) {
    HWND hwnd = MakeWindow();
    Next();
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

TEST(Keys, PressPostsKeyDownAndHoldsBit15UntilReleaseAndCloseBecomesWmClose) {
    HWND hwnd = MakeWindow();
    Next();
    EXPECT_EQ(GetAsyncKeyState('Z'), 0);
    headless::PressKey(VK_ESCAPE);
    headless::PressKey('Z');
    EXPECT_LT(GetAsyncKeyState('Z'), 0);  // bit 15 is the sign bit of a SHORT
    EXPECT_EQ(GetAsyncKeyState('X'), 0);
    MSG msg = Next();
    EXPECT_EQ(msg.hwnd, hwnd);
    EXPECT_EQ(msg.message, WM_KEYDOWN);
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(VK_ESCAPE));
    EXPECT_EQ(Next().wParam, static_cast<WPARAM>('Z'));

    headless::ReleaseKey('Z');
    EXPECT_EQ(GetAsyncKeyState('Z'), 0);
    headless::RequestClose();
    msg = Next();  // a release posts nothing
    EXPECT_EQ(msg.hwnd, hwnd);
    EXPECT_EQ(msg.message, WM_CLOSE);
}

TEST(Wsprintf, FormatsAndCutsToTheBufferAndAt1024Characters) {
    std::vector<char> text(2048, 'x');
    EXPECT_EQ(wsprintfA(text.data(), text.size(), "%d fps", 50), 6);
    EXPECT_STREQ(text.data(), "50 fps");
    EXPECT_EQ(wsprintfA(text.data(), text.size(), "%s", std::string(1500, 'a').c_str()), 1023);
    EXPECT_EQ(std::strlen(text.data()), 1023u);
    EXPECT_EQ(text[1024], 'x');
    EXPECT_EQ(wsprintfA(text.data(), 8, "%d fps", 123456), 7);
    EXPECT_STREQ(text.data(), "123456 ");
    EXPECT_EQ(text[8], 'a');
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
