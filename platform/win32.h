// Stand-in for the parts of the Windows user interface and kernel the game calls:
// the window class and window, one message queue, polled keys, the millisecond clock
// and wsprintfA. Backend events (keys, window close, end of a music piece) become
// messages when the queue is pumped by PeekMessageA or GetMessageA.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/seam/keys.h"

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using BOOL = int;
using SHORT = std::int16_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using COLORREF = DWORD;
using HRESULT = long;
using LPCSTR = const char*;
using LPSTR = char*;
using HANDLE = void*;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

struct HWND__;
struct HINSTANCE__;
struct HICON__;
struct HCURSOR__;
struct HMENU__;
struct GdiObject;
struct HDC__;
using HWND = HWND__*;
using HINSTANCE = HINSTANCE__*;
using HICON = HICON__*;
using HCURSOR = HCURSOR__*;
using HMENU = HMENU__*;
using HGDIOBJ = GdiObject*;
using HBRUSH = GdiObject*;
using HBITMAP = GdiObject*;
using HDC = HDC__*;

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

struct POINT {
    LONG x;
    LONG y;
};

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

struct WNDCLASSA {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
};

constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_KEYDOWN = 0x0100;

constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

constexpr UINT CS_DBLCLKS = 0x0008;
constexpr DWORD WS_POPUP = 0x80000000u;
constexpr DWORD WS_VISIBLE = 0x10000000u;
constexpr DWORD WS_EX_TOPMOST = 0x00000008u;
constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);
constexpr int SW_SHOWDEFAULT = 10;

// Resource identifiers of the system's own icon and cursor.
inline LPCSTR const IDI_APPLICATION = reinterpret_cast<LPCSTR>(32512);
inline LPCSTR const IDC_ARROW = reinterpret_cast<LPCSTR>(32512);

WORD RegisterClassA(const WNDCLASSA* windowClass);
// Creates the one window; WM_CREATE reaches its window procedure before this returns.
// Returns null when the display cannot be opened.
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     void* param);
BOOL ShowWindow(HWND hwnd, int cmdShow);
BOOL UpdateWindow(HWND hwnd);
HWND SetFocus(HWND hwnd);
int ShowCursor(BOOL show);
HICON LoadIconA(HINSTANCE instance, LPCSTR name);
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
HINSTANCE GetModuleHandleA(LPCSTR moduleName);

BOOL PeekMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags);
// Blocks until a message arrives; returns 0 for WM_QUIT.
BOOL GetMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax);
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageA(const MSG* msg);
BOOL PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
// Not of the old interface: drops the messages waiting in the queue without fetching
// more (a run watched in the game's place starts, and ends, with an empty queue).
void DropQueuedMessages();
LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Bit 15 is set while the key is held. Keys are virtual-key codes; letters are their
// upper-case ASCII codes ('Z', 'X', 'C', 'A').
SHORT GetAsyncKeyState(int virtualKey);

// printf-style formatting into a buffer of `size` bytes (at most 1024), cut to fit and
// always terminated; returns the length written.
int wsprintfA(LPSTR buffer, std::size_t size, LPCSTR format, ...)
    __attribute__((format(printf, 3, 4)));
