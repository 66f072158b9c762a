// Without a window manager (a kiosk, a bare X session) nobody acts on a request for
// fullscreen: the window would keep its size, and only a corner of the picture would show.
// The backend then moves and sizes the window itself, as a window manager would.
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <cstring>

#include "platform/sdl/sdl_internal.h"

namespace {

// An EWMH window manager announces itself on the root window.
bool HasWindowManager(Display* display) {
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
    if (check == None) return false;
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const bool found = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False,
                                          XA_WINDOW, &type, &format, &count, &after, &data) == Success &&
                       count == 1;
    if (data != nullptr) XFree(data);
    return found;
}

// Whether the window is on X11 with no window manager running; `info` says where.
bool BareX11(SDL_Window* window, SDL_SysWMinfo* info) {
    SDL_VERSION(&info->version);
    return SDL_GetWindowWMInfo(window, info) == SDL_TRUE && info->subsystem == SDL_SYSWM_X11 &&
           !HasWindowManager(info->info.x11.display);
}

}  // namespace

namespace sdl_backend {

bool MayHaveFrame(SDL_Window* window) {
    SDL_SysWMinfo info;
    return !BareX11(window, &info);
}

bool NoWindowManagerYet() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr || std::strcmp(driver, "x11") != 0) return false;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return false;
    const bool none = !HasWindowManager(display);
    XCloseDisplay(display);
    return none;
}

void PlaceWithoutWindowManager(SDL_Window* window) {
    SDL_SysWMinfo info;
    if (!BareX11(window, &info)) return;
    Display* display = info.info.x11.display;
    SDL_Rect screen;
    if (SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window), &screen) != 0) return;
    SDL_Rect area = screen;
    if (!WindowFullscreen()) {
        // Nobody frames the window here: the whole screen is room for it.
        FitWindowSize(PlayerSettings().windowWidth, PlayerSettings().windowHeight, {screen.w, screen.h}, &area.w,
                      &area.h);
        area.x = screen.x + (screen.w - area.w) / 2;
        area.y = screen.y + (screen.h - area.h) / 2;
        AskWindowSize(area.w, area.h);
    }
    XMoveResizeWindow(display, info.info.x11.window, area.x, area.y, static_cast<unsigned>(area.w),
                      static_cast<unsigned>(area.h));
    XFlush(display);
}

}  // namespace sdl_backend
