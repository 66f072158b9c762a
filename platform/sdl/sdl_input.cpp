// Keyboard and window events. SDL's keys become the keys the policy names (letters by the
// layout's key, so Z is where the keyboard says Z), and the policy says what each means:
// a virtual key for the game, a key that counts as Z while held, or one of the backend's
// own (fullscreen, screenshot, mute, volume). Closing the window is reported to the
// stand-in.
#include <array>

#include "platform/policy/keys.h"
#include "platform/sdl/sdl_internal.h"
#include "platform/seam/backend.h"

namespace {

struct NamedKey {
    SDL_Keycode keycode;
    int key;
};

constexpr NamedKey NAMED_KEYS[] = {
    {SDLK_ESCAPE, policy::KEY_ESCAPE}, {SDLK_RETURN, policy::KEY_ENTER}, {SDLK_KP_ENTER, policy::KEY_KEYPAD_ENTER},
    {SDLK_SPACE, policy::KEY_SPACE},   {SDLK_LEFT, policy::KEY_LEFT},    {SDLK_UP, policy::KEY_UP},
    {SDLK_RIGHT, policy::KEY_RIGHT},   {SDLK_DOWN, policy::KEY_DOWN},    {SDLK_MINUS, policy::KEY_MINUS},
    {SDLK_KP_MINUS, policy::KEY_MINUS}, {SDLK_EQUALS, policy::KEY_PLUS}, {SDLK_PLUS, policy::KEY_PLUS},
    {SDLK_KP_PLUS, policy::KEY_PLUS},  {SDLK_F11, policy::KEY_F11},      {SDLK_F12, policy::KEY_F12},
};

// The policy's name for an SDL key, KEY_NONE for keys nobody uses.
int KeyOf(SDL_Keycode keycode) {
    if (keycode >= SDLK_a && keycode <= SDLK_z) return 'A' + (keycode - SDLK_a);
    if (keycode >= SDLK_0 && keycode <= SDLK_9) return '0' + (keycode - SDLK_0);
    for (const NamedKey& named : NAMED_KEYS) {
        if (named.keycode == keycode) return named.key;
    }
    return policy::KEY_NONE;
}

// The key that gives the game this virtual key; SDLK_UNKNOWN when none does.
SDL_Keycode KeycodeOf(int virtualKey) {
    if (virtualKey == 0) return SDLK_UNKNOWN;
    if (virtualKey >= 'A' && virtualKey <= 'Z') return SDLK_a + (virtualKey - 'A');
    if (virtualKey >= '0' && virtualKey <= '9') return SDLK_0 + (virtualKey - '0');
    for (const NamedKey& named : NAMED_KEYS) {
        if (policy::VirtualKeyOf(named.key) == virtualKey) return named.keycode;
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

// Held keys that may count as Z (the policy says when), where they are on every layout.
struct HeldKey {
    SDL_Scancode scancode;
    int key;
};
constexpr HeldKey Z_ALIKE[] = {
    {SDL_SCANCODE_RETURN, policy::KEY_ENTER},
    {SDL_SCANCODE_KP_ENTER, policy::KEY_KEYPAD_ENTER},
    {SDL_SCANCODE_SPACE, policy::KEY_SPACE},
};

// True when the key is one of the backend's own, which the game does not see.
bool HandleBackendKey(const SDL_KeyboardEvent& event) {
    const policy::Hotkey hotkey = policy::HotkeyOf(KeyOf(event.keysym.sym), (event.keysym.mod & KMOD_ALT) != 0);
    if (hotkey == policy::Hotkey::None) return false;
    if (event.repeat != 0 && !policy::ActsOnRepeat(hotkey)) return true;
    switch (hotkey) {
        case policy::Hotkey::Fullscreen:
            sdl_backend::ToggleFullscreen();
            break;
        case policy::Hotkey::Screenshot:
            sdl_backend::SaveScreenshot();
            break;
        case policy::Hotkey::Mute:
            sdl_backend::ToggleMute();
            break;
        case policy::Hotkey::VolumeDown:
        case policy::Hotkey::VolumeUp:
            sdl_backend::ChangeVolume(hotkey == policy::Hotkey::VolumeUp ? 1 : -1);
            break;
        case policy::Hotkey::None:
            break;
    }
    return true;
}

void HandleKeyDown(const SDL_KeyboardEvent& event, const backend::EventSink& sink) {
    if (HandleBackendKey(event)) {
        return;
    }
    const int virtualKey = policy::VirtualKeyOf(KeyOf(event.keysym.sym));
    if (virtualKey != 0) {
        sink.keyDown(virtualKey);
    }
}

// The game pumps at every turn of its loop, and one follows each frame within a millisecond
// or two; asking the X server again so soon costs a round of system calls and finds nothing.
// Events come from the devices at most this often; those already queued are taken at once.
// A turn after an idle pause always asks: a frame falls due there, and its keys must be
// the keys of that moment, not of a pump a piece's end woke a few milliseconds before.
constexpr Uint32 FETCH_INTERVAL_MS = 5;
Uint32 g_lastFetch = 0;
bool g_fetched = false;

void FetchEvents() {
    const Uint32 now = SDL_GetTicks();
    if (!sdl_backend::TakeIdleEnded() && g_fetched && now - g_lastFetch < FETCH_INTERVAL_MS) return;
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

namespace sdl_backend {

void PumpEvents(const backend::EventSink& sink) {
    if (sdl_backend::TakeHangUp()) sink.closeRequested();
    sdl_backend::ExpireNote();
    sdl_backend::PollSending();
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
    if (virtualKey == 'Z') {
        const bool alt = (SDL_GetModState() & KMOD_ALT) != 0;
        for (const HeldKey& alike : Z_ALIKE) {
            if (held(alike.scancode) && policy::CountsAsZ(alike.key, alt)) return true;
        }
    }
    return sdl_backend::ControllerHeld(virtualKey);
}

}  // namespace sdl_backend
