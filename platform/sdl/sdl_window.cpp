// The game window, titled with the product's name: fullscreen-desktop or a resizable
// window as the settings and the command line say (Alt+Enter and F11 switch); the picture
// reaches it through sdl_present.cpp. While the window is unfocused or minimised nothing
// is presented.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/sdl/sdl_internal.h"
#include "platform/seam/backend.h"

namespace {

SDL_Window* g_window = nullptr;
bool g_focused = true;
bool g_minimised = false;
// Fullscreen kept by the backend itself, on X11 with no window manager: SDL's request there
// goes unanswered, and SDL waits a tenth of a second for the answer whenever the window
// shows or switches. PlaceWithoutWindowManager covers the screen instead.
bool g_selfFullscreen = false;
// The window size the backend last asked for itself (fitting the saved size to the
// screen): reaching it is no change of the player's.
SDL_Point g_asked{0, 0};

constexpr const char* PRODUCT_NAME = "Lantern Blade";
// The desktop entry's name, which the desktop matches the window's class against.
constexpr const char* WINDOW_CLASS = "lantern-blade";

[[noreturn]] void FailDisplay() {
    std::fprintf(stderr, "lantern-blade: cannot open a display: %s\n", SDL_GetError());
    std::exit(1);
}

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}

// With no X11 or Wayland display SDL falls back on its offscreen driver, which shows
// nothing; only someone who asks for such a driver by SDL_VIDEODRIVER gets it.
bool OnlyInvisibleDisplay() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return !IsSet("SDL_VIDEODRIVER") && driver != nullptr &&
           (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

// Without a display named in the environment there is nothing to open; finding that out
// before SDL tries its drivers keeps their own complaints off the terminal.
bool NoDisplayNamed() {
    return !IsSet("SDL_VIDEODRIVER") && !IsSet("DISPLAY") && !IsSet("WAYLAND_DISPLAY");
}

// The window's size on this screen inside the frame the window manager puts around it
// (its left x, top y, right w and bottom h; all 0 before there is a window).
void WindowSize(const SDL_Rect& frame, int* width, int* height) {
    SDL_Rect usable;
    if (SDL_GetDisplayUsableBounds(0, &usable) != 0) usable = {0, 0, 0, 0};
    const SDL_Point room{usable.w - frame.x - frame.w, usable.h - frame.y - frame.h};
    const Settings& settings = sdl_backend::PlayerSettings();
    sdl_backend::FitWindowSize(settings.windowWidth, settings.windowHeight, room, width, height);
}

bool Fullscreen() {
    return g_selfFullscreen || (SDL_GetWindowFlags(g_window) & SDL_WINDOW_FULLSCREEN) != 0;
}

// Suspended while unfocused or minimised: the game's clock stops and the sound holds.
void FollowActivity(bool focused, bool minimised, const backend::EventSink& sink) {
    const bool wasActive = g_focused && !g_minimised;
    g_focused = focused;
    g_minimised = minimised;
    const bool active = g_focused && !g_minimised;
    if (active == wasActive) return;
    SDL_ShowCursor(active ? SDL_DISABLE : SDL_ENABLE);
    sdl_backend::SetAudioSuspended(!active);
    sink.activeChanged(active);
}

}  // namespace

namespace sdl_backend {

void FitWindowSize(int savedWidth, int savedHeight, SDL_Point room, int* width, int* height) {
    *width = savedWidth;
    *height = savedHeight;
    if (room.x <= 0 || room.y <= 0 || (savedWidth <= room.x && savedHeight <= room.y)) return;
    const int scale = std::max(1, std::min(room.x / SCREEN_WIDTH, room.y / SCREEN_HEIGHT));
    *width = scale * SCREEN_WIDTH;
    *height = scale * SCREEN_HEIGHT;
}

void AskWindowSize(int width, int height) {
    g_asked = {width, height};
}

void ToggleFullscreen() {
    if (g_window == nullptr) {
        return;
    }
    const bool fullscreen = !Fullscreen();
    g_selfFullscreen = fullscreen && !MayHaveFrame(g_window);
    SDL_SetWindowFullscreen(g_window, fullscreen && !g_selfFullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    PlaceWithoutWindowManager(g_window);
    ShowPicture(true);
    PlayerSettings().fullscreen = fullscreen;
    StoreSettings();
}

bool WindowFullscreen() {
    return g_window != nullptr && Fullscreen();
}

void HandleWindowEvent(const SDL_WindowEvent& event, const backend::EventSink& sink) {
    switch (event.event) {
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            sdl_backend::ShowPicture(true);
            // Only a size the player gave the window is kept: the settings are written
            // when the player changes one, never just because the game started.
            if (!Fullscreen() && (event.data1 != g_asked.x || event.data2 != g_asked.y) &&
                (event.data1 != PlayerSettings().windowWidth || event.data2 != PlayerSettings().windowHeight)) {
                PlayerSettings().windowWidth = event.data1;
                PlayerSettings().windowHeight = event.data2;
                StoreSettingsSoon();
            }
            break;
        case SDL_WINDOWEVENT_EXPOSED:
            // The game may not present for a while (the results hold a second).
            sdl_backend::ShowPicture(false);
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
        case SDL_WINDOWEVENT_FOCUS_LOST:
            FollowActivity(event.event == SDL_WINDOWEVENT_FOCUS_GAINED, g_minimised, sink);
            break;
        case SDL_WINDOWEVENT_MINIMIZED:
        case SDL_WINDOWEVENT_RESTORED:
            FollowActivity(g_focused, event.event == SDL_WINDOWEVENT_MINIMIZED, sink);
            break;
        default:
            break;
    }
}

}  // namespace sdl_backend

namespace sdl_backend {

bool OpenWindow(const char*) {
    // SDL reads the class from the environment; one the player set stays.
    setenv("SDL_VIDEO_X11_WMCLASS", WINDOW_CLASS, 0);
    setenv("SDL_VIDEO_WAYLAND_WMCLASS", WINDOW_CLASS, 0);
    if (NoDisplayNamed()) {
        SDL_SetError("no X11 or Wayland display found (is DISPLAY set?)");
        FailDisplay();
    }
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        FailDisplay();
    }
    if (OnlyInvisibleDisplay()) {
        SDL_SetError("no X11 or Wayland display found (is DISPLAY set?)");
        FailDisplay();
    }
    sdl_backend::ForgetKeyLayout();
    sdl_backend::ShutDownAtExit();
    sdl_backend::CatchHangUp();
    sdl_backend::WatchDisplayConnection();
    // Without controller support the keyboard still plays the game.
    SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER);

    const bool fullscreen = OpensFullscreen(sdl_backend::PlayerSettings());
    g_selfFullscreen = fullscreen && sdl_backend::NoWindowManagerYet();
    const Uint32 flags = SDL_WINDOW_RESIZABLE | (fullscreen && !g_selfFullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    int width = 0;
    int height = 0;
    WindowSize({0, 0, 0, 0}, &width, &height);
    SDL_Rect screen{};
    if (g_selfFullscreen && SDL_GetDisplayBounds(0, &screen) == 0) {
        width = screen.w;
        height = screen.h;
    }
    sdl_backend::AskWindowSize(width, height);
    g_window = SDL_CreateWindow(PRODUCT_NAME, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                width, height, flags);
    if (g_window == nullptr) {
        FailDisplay();
    }
    // The frame the window manager puts around the window is known once it is shown: a
    // window that would reach off the screen with it becomes one that does not.
    SDL_Rect frame{};
    if (!Fullscreen() && sdl_backend::MayHaveFrame(g_window) && SDL_GetWindowBordersSize(g_window, &frame.y, &frame.x, &frame.h, &frame.w) == 0) {
        int fitWidth = 0;
        int fitHeight = 0;
        WindowSize(frame, &fitWidth, &fitHeight);
        if (fitWidth != width || fitHeight != height) {
            sdl_backend::AskWindowSize(fitWidth, fitHeight);
            SDL_SetWindowSize(g_window, fitWidth, fitHeight);
            SDL_SetWindowPosition(g_window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
        }
    }
    SDL_SetWindowMinimumSize(g_window, SCREEN_WIDTH / 4, SCREEN_HEIGHT / 4);
    if (!sdl_backend::StartPresenting(g_window)) {
        FailDisplay();
    }
    // After the renderer, which may make the window anew.
    sdl_backend::PlaceWithoutWindowManager(g_window);
    SDL_ShowCursor(SDL_DISABLE);
    return true;
}

void CloseWindow() {
    sdl_backend::StopPresenting();
    if (g_window != nullptr) {
        SDL_DestroyWindow(g_window);
    }
    g_window = nullptr;
}

void Present(const std::uint8_t* pixels, const std::uint32_t* palette) {
    if (g_window == nullptr || !g_focused || g_minimised) {
        return;
    }
    sdl_backend::PresentFrame(pixels, palette);
    sdl_backend::LogPresent();
}

}  // namespace sdl_backend
