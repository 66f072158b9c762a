// Keyboard and window events. SDL key codes become Windows virtual-key codes (letters
// by the layout's key, so Z is where the keyboard says Z); Enter and Space count as Z.
// The backend's own keys: Alt+Enter and F11 switch fullscreen, M mutes, minus and plus
// change the volume, F12 saves a screenshot. Closing the window is reported to the
// stand-in.
#include <array>

#include "platform/sdl/sdl_internal.h"
#include "platform/seam/backend.h"
#include "platform/seam/keys.h"

namespace {

struct NamedKey {
    int virtualKey;
    SDL_Keycode keycode;
};

constexpr NamedKey NAMED_KEYS[] = {
    {VK_ESCAPE, SDLK_ESCAPE}, {VK_RETURN, SDLK_RETURN}, {VK_LEFT, SDLK_LEFT},
    {VK_UP, SDLK_UP},         {VK_RIGHT, SDLK_RIGHT},   {VK_DOWN, SDLK_DOWN},
};

// 0 for keys the game has no virtual-key code for.
int VirtualKeyOf(SDL_Keycode keycode) {
    if (keycode >= SDLK_a && keycode <= SDLK_z) {
        return 'A' + (keycode - SDLK_a);
    }
    if (keycode >= SDLK_0 && keycode <= SDLK_9) {
        return '0' + (keycode - SDLK_0);
    }
    for (const NamedKey& key : NAMED_KEYS) {
        if (key.keycode == keycode) {
            return key.virtualKey;
        }
    }
    return 0;
}

SDL_Keycode KeycodeOf(int virtualKey) {
    if (virtualKey >= 'A' && virtualKey <= 'Z') {
        return SDLK_a + (virtualKey - 'A');
    }
    if (virtualKey >= '0' && virtualKey <= '9') {
        return SDLK_0 + (virtualKey - '0');
    }
    for (const NamedKey& key : NAMED_KEYS) {
        if (key.virtualKey == virtualKey) {
            return key.keycode;
        }
    }
    return SDLK_UNKNOWN;
}

// Each virtual key's scancode in the keyboard's layout, looked up once for each display and
// again when the layout changes: the demo recorder asks about all 256 keys at every pump,
// and SDL finds a key's scancode by searching its whole key map.
std::array<SDL_Scancode, 256> g_scancodes{};
bool g_scancodesKnown = false;

SDL_Scancode ScancodeOf(int virtualKey) {
    if (!g_scancodesKnown) {
        for (int key = 0; key < 256; ++key) {
            const SDL_Keycode keycode = KeycodeOf(key);
            g_scancodes[key] = keycode == SDLK_UNKNOWN ? SDL_SCANCODE_UNKNOWN : SDL_GetScancodeFromKey(keycode);
        }
        g_scancodesKnown = true;
    }
    return virtualKey >= 0 && virtualKey < 256 ? g_scancodes[virtualKey] : SDL_SCANCODE_UNKNOWN;
}

// Held keys that count as Z when Alt is not held with them (Alt+Enter is not a pick).
constexpr SDL_Scancode Z_ALIKE[] = {SDL_SCANCODE_RETURN, SDL_SCANCODE_KP_ENTER, SDL_SCANCODE_SPACE};

bool IsEnter(SDL_Keycode key) {
    return key == SDLK_RETURN || key == SDLK_KP_ENTER;
}

// True when the key is one of the backend's own, which the game does not see.
bool HandleBackendKey(const SDL_KeyboardEvent& event) {
    const SDL_Keycode key = event.keysym.sym;
    const bool first = event.repeat == 0;
    if (key == SDLK_F11 || (IsEnter(key) && (event.keysym.mod & KMOD_ALT) != 0)) {
        if (first) sdl_backend::ToggleFullscreen();
    } else if (key == SDLK_F12) {
        if (first) sdl_backend::SaveScreenshot();
    } else if (key == SDLK_m) {
        if (first) sdl_backend::ToggleMute();
    } else if (key == SDLK_MINUS || key == SDLK_KP_MINUS) {
        sdl_backend::ChangeVolume(-1);
    } else if (key == SDLK_EQUALS || key == SDLK_PLUS || key == SDLK_KP_PLUS) {
        sdl_backend::ChangeVolume(1);
    } else {
        return false;
    }
    return true;
}

void HandleKeyDown(const SDL_KeyboardEvent& event, const backend::EventSink& sink) {
    if (HandleBackendKey(event)) {
        return;
    }
    const int virtualKey = VirtualKeyOf(event.keysym.sym);
    if (virtualKey != 0) {
        sink.keyDown(virtualKey);
    }
}

// The game pumps at every turn of its loop, and one follows each frame within a millisecond
// or two; asking the X server again so soon costs a round of system calls and finds nothing.
// Events come from the devices at most this often; those already queued are taken at once.
constexpr Uint32 FETCH_INTERVAL_MS = 5;
Uint32 g_lastFetch = 0;
bool g_fetched = false;

void FetchEvents() {
    const Uint32 now = SDL_GetTicks();
    if (g_fetched && now - g_lastFetch < FETCH_INTERVAL_MS) return;
    SDL_PumpEvents();
    g_lastFetch = now;
    g_fetched = true;
}

}  // namespace

namespace sdl_backend {

void ForgetKeyLayout() {
    g_scancodesKnown = false;
}

}  // namespace sdl_backend

namespace backend {

void PumpEvents(const EventSink& sink) {
    if (sdl_backend::TakeHangUp()) sink.closeRequested();
    sdl_backend::ExpireNote();
    sdl_backend::StoreSettledSettings(false);
    FetchEvents();
    SDL_Event event;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
        switch (event.type) {
            case SDL_QUIT:
                sink.closeRequested();
                break;
            case SDL_KEYDOWN:
                HandleKeyDown(event.key, sink);
                break;
            case SDL_WINDOWEVENT:
                sdl_backend::HandleWindowEvent(event.window, sink);
                break;
            case SDL_KEYMAPCHANGED:
                sdl_backend::ForgetKeyLayout();
                break;
            default:
                sdl_backend::HandleControllerEvent(event, sink.keyDown);
                break;
        }
    }
}

bool KeyHeld(int virtualKey) {
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    const auto held = [&](SDL_Scancode scancode) {
        return scancode > SDL_SCANCODE_UNKNOWN && scancode < count && state[scancode] != 0;
    };
    if (held(ScancodeOf(virtualKey))) {
        return true;
    }
    if (virtualKey == 'Z' && (SDL_GetModState() & KMOD_ALT) == 0) {
        for (const SDL_Scancode alike : Z_ALIKE) {
            if (held(alike)) return true;
        }
    }
    return sdl_backend::ControllerHeld(virtualKey);
}

}  // namespace backend
