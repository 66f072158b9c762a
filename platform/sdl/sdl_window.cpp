// The game window, titled with the product's name: fullscreen-desktop or a resizable
// window as the settings and the command line say (Alt+Enter and F11 switch); the picture
// reaches it through sdl_present.cpp. While the window is unfocused or minimised nothing
// is presented.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/sdl/sdl_internal.h"
#include "platform/seam/backend.h"

namespace {

SDL_Window* g_window = nullptr;
bool g_focused = true;
bool g_minimised = false;

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

// The saved window size, or 640x480 when that does not fit on the screen.
void WindowSize(int* width, int* height) {
    const Settings& settings = sdl_backend::PlayerSettings();
    SDL_Rect usable;
    const bool fits = SDL_GetDisplayUsableBounds(0, &usable) != 0 ||
                      (settings.windowWidth <= usable.w && settings.windowHeight <= usable.h);
    *width = fits ? settings.windowWidth : SCREEN_WIDTH;
    *height = fits ? settings.windowHeight : SCREEN_HEIGHT;
}

bool Fullscreen() {
    return (SDL_GetWindowFlags(g_window) & SDL_WINDOW_FULLSCREEN) != 0;
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

void ToggleFullscreen() {
    if (g_window == nullptr) {
        return;
    }
    const bool fullscreen = !Fullscreen();
    SDL_SetWindowFullscreen(g_window, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    PlaceWithoutWindowManager(g_window);
    ShowAgain(true);
    PlayerSettings().fullscreen = fullscreen;
    StoreSettings();
}

void HandleWindowEvent(const SDL_WindowEvent& event, const backend::EventSink& sink) {
    switch (event.event) {
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            sdl_backend::ShowAgain(true);
            if (!Fullscreen()) {
                PlayerSettings().windowWidth = event.data1;
                PlayerSettings().windowHeight = event.data2;
                StoreSettings();
            }
            break;
        case SDL_WINDOWEVENT_EXPOSED:
            // The game may not present for a while (the results hold a second).
            sdl_backend::ShowAgain(false);
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

namespace backend {

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
    sdl_backend::ShutDownAtExit();
    sdl_backend::WatchDisplayConnection();
    // Without controller support the keyboard still plays the game.
    SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER);

    const Uint32 flags = SDL_WINDOW_RESIZABLE | (OpensFullscreen(sdl_backend::PlayerSettings())
                                                     ? SDL_WINDOW_FULLSCREEN_DESKTOP
                                                     : 0);
    int width = 0;
    int height = 0;
    WindowSize(&width, &height);
    g_window = SDL_CreateWindow(PRODUCT_NAME, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                width, height, flags);
    if (g_window == nullptr) {
        FailDisplay();
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

}  // namespace backend
