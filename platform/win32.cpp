// The window, its message queue and the polled keys over the backend. The queue belongs
// to the game's one thread; pumping it takes the backend's events and finished sounds.
#include "platform/win32.h"

#include <cstdarg>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "platform/host/suspension.h"
#include "platform/mci_delivery.h"
#include "platform/mmsystem.h"
#include "platform/seam/backend.h"

struct HWND__ {
    WNDPROC windowProc;
};

namespace {

struct WindowClass {
    std::string name;
    WNDPROC windowProc;
};

std::vector<WindowClass> g_classes;
std::deque<HWND__> g_windows;  // a deque keeps the handles stable
std::deque<MSG> g_queue;

// Input goes to the window created last: the game has one.
HWND InputWindow() {
    return g_windows.empty() ? nullptr : &g_windows.back();
}

void PostKeyDown(int virtualKey) {
    PostMessageA(InputWindow(), WM_KEYDOWN, static_cast<WPARAM>(virtualKey), 0);
}

void PostClose() {
    PostMessageA(InputWindow(), WM_CLOSE, 0, 0);
}

void Suspend(bool active) {
    SetSuspended(!active, backend::NowMs());
}

void PumpQueue() {
    backend::Active().input.pumpEvents(backend::EventSink{PostKeyDown, PostClose, Suspend});
    DeliverFinishedSounds();
}

}  // namespace

WORD RegisterClassA(const WNDCLASSA* windowClass) {
    if (windowClass == nullptr || windowClass->lpszClassName == nullptr) return 0;
    g_classes.push_back(WindowClass{windowClass->lpszClassName, windowClass->lpfnWndProc});
    return static_cast<WORD>(g_classes.size());
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     void* param) {
    if (className == nullptr) return nullptr;
    const WindowClass* found = nullptr;
    for (const WindowClass& windowClass : g_classes) {
        if (windowClass.name == className) found = &windowClass;
    }
    if (found == nullptr || found->windowProc == nullptr) return nullptr;
    if (!backend::Active().display.open(windowName != nullptr ? windowName : "")) return nullptr;

    HWND hwnd = &g_windows.emplace_back(HWND__{found->windowProc});
    hwnd->windowProc(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(param));
    return hwnd;
}

BOOL ShowWindow(HWND, int) {
    return FALSE;
}

BOOL UpdateWindow(HWND hwnd) {
    return hwnd != nullptr;
}

HWND SetFocus(HWND) {
    return nullptr;
}

int ShowCursor(BOOL show) {
    return show ? 0 : -1;
}

HICON LoadIconA(HINSTANCE, LPCSTR) {
    return nullptr;
}

HCURSOR LoadCursorA(HINSTANCE, LPCSTR) {
    return nullptr;
}

HINSTANCE GetModuleHandleA(LPCSTR) {
    return nullptr;
}

BOOL PeekMessageA(MSG* msg, HWND, UINT, UINT, UINT removeFlags) {
    PumpQueue();
    if (g_queue.empty()) return FALSE;
    if (msg != nullptr) *msg = g_queue.front();
    if (removeFlags & PM_REMOVE) g_queue.pop_front();
    return TRUE;
}

BOOL GetMessageA(MSG* msg, HWND, UINT, UINT) {
    PumpQueue();
    while (g_queue.empty()) {
        backend::Idle(1);
        PumpQueue();
    }
    const MSG next = g_queue.front();
    g_queue.pop_front();
    if (msg != nullptr) *msg = next;
    return next.message != WM_QUIT;
}

BOOL TranslateMessage(const MSG*) {
    return FALSE;
}

LRESULT DispatchMessageA(const MSG* msg) {
    if (msg == nullptr || msg->hwnd == nullptr) return 0;
    return msg->hwnd->windowProc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    g_queue.push_back(MSG{hwnd, message, wParam, lParam, timeGetTime(), POINT{0, 0}});
    return TRUE;
}

void PostQuitMessage(int exitCode) {
    PostMessageA(nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0);
}

void DropQueuedMessages() {
    g_queue.clear();
}

LRESULT DefWindowProcA(HWND, UINT, WPARAM, LPARAM) {
    return 0;
}

SHORT GetAsyncKeyState(int virtualKey) {
    return backend::Active().input.keyHeld(virtualKey) ? static_cast<SHORT>(0x8000) : SHORT{0};
}

int wsprintfA(LPSTR buffer, std::size_t size, LPCSTR format, ...) {
    constexpr std::size_t LIMIT = 1024;
    if (buffer == nullptr || size == 0 || format == nullptr) return 0;
    // The caller's buffer bounds the text, and never more than the system's 1024 bytes.
    const std::size_t room = size < LIMIT ? size : LIMIT;
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(buffer, room, format, args);
    va_end(args);
    if (length < 0) {
        buffer[0] = '\0';
        return 0;
    }
    return static_cast<std::size_t>(length) < room ? length : static_cast<int>(room - 1);
}
