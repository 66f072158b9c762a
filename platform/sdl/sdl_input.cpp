// Keyboard and window events. SDL key codes become Windows virtual-key codes (letters
// by the layout's key, so Z is where the keyboard says Z); Alt+Enter is the backend's own
// and switches fullscreen; closing the window is reported to the stand-in.
#include "platform/backend.h"
#include "platform/sdl/sdl_internal.h"
#include "platform/win32.h"

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

bool IsAltEnter(const SDL_KeyboardEvent& event) {
    const SDL_Keycode key = event.keysym.sym;
    return (key == SDLK_RETURN || key == SDLK_KP_ENTER) && (event.keysym.mod & KMOD_ALT) != 0;
}

void HandleKeyDown(const SDL_KeyboardEvent& event, const backend::EventSink& sink) {
    if (IsAltEnter(event)) {
        if (event.repeat == 0) {
            sdl_backend::ToggleFullscreen();
        }
        return;
    }
    const int virtualKey = VirtualKeyOf(event.keysym.sym);
    if (virtualKey != 0) {
        sink.keyDown(virtualKey);
    }
}

}  // namespace

namespace backend {

void PumpEvents(const EventSink& sink) {
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        switch (event.type) {
            case SDL_QUIT:
                sink.closeRequested();
                break;
            case SDL_KEYDOWN:
                HandleKeyDown(event.key, sink);
                break;
            case SDL_WINDOWEVENT:
                sdl_backend::HandleWindowEvent(event.window);
                break;
            default:
                sdl_backend::HandleControllerEvent(event, sink.keyDown);
                break;
        }
    }
}

bool KeyHeld(int virtualKey) {
    const SDL_Keycode keycode = KeycodeOf(virtualKey);
    if (keycode != SDLK_UNKNOWN) {
        int count = 0;
        const Uint8* state = SDL_GetKeyboardState(&count);
        const SDL_Scancode scancode = SDL_GetScancodeFromKey(keycode);
        if (scancode > SDL_SCANCODE_UNKNOWN && scancode < count && state[scancode] != 0) {
            return true;
        }
    }
    return sdl_backend::ControllerHeld(virtualKey);
}

}  // namespace backend
