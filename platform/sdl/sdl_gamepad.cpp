// Game controllers through SDL's controller database: the D-pad and the left stick act as
// the arrow keys, the south button as Z, the east button and Start as X (pause). Escape
// stays on the keyboard. Controllers may come and go while the game runs.
#include <vector>

#include "platform/sdl/sdl_internal.h"
#include "platform/seam/keys.h"

namespace {

// A stick counts as pushed beyond about 40% of its travel.
constexpr Sint16 STICK_THRESHOLD = 13107;

struct ButtonKey {
    SDL_GameControllerButton button;
    int virtualKey;
};

constexpr ButtonKey BUTTON_KEYS[] = {
    {SDL_CONTROLLER_BUTTON_DPAD_UP, VK_UP},       {SDL_CONTROLLER_BUTTON_DPAD_DOWN, VK_DOWN},
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, VK_LEFT},   {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, VK_RIGHT},
    {SDL_CONTROLLER_BUTTON_A, 'Z'},               {SDL_CONTROLLER_BUTTON_B, 'X'},
    {SDL_CONTROLLER_BUTTON_START, 'X'},
};

std::vector<SDL_GameController*> g_controllers;

void OpenController(int deviceIndex) {
    SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
    if (controller == nullptr) {
        return;
    }
    for (SDL_GameController* open : g_controllers) {
        if (open == controller) {
            // Already open: SDL reference-counts the handle, keep one reference.
            SDL_GameControllerClose(controller);
            return;
        }
    }
    g_controllers.push_back(controller);
}

void CloseController(SDL_JoystickID instance) {
    for (auto it = g_controllers.begin(); it != g_controllers.end(); ++it) {
        SDL_Joystick* joystick = SDL_GameControllerGetJoystick(*it);
        if (SDL_JoystickInstanceID(joystick) == instance) {
            SDL_GameControllerClose(*it);
            g_controllers.erase(it);
            return;
        }
    }
}

bool StickHeld(SDL_GameController* controller, int virtualKey) {
    const Sint16 x = SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTX);
    const Sint16 y = SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTY);
    switch (virtualKey) {
        case VK_LEFT:
            return x < -STICK_THRESHOLD;
        case VK_RIGHT:
            return x > STICK_THRESHOLD;
        case VK_UP:
            return y < -STICK_THRESHOLD;
        case VK_DOWN:
            return y > STICK_THRESHOLD;
        default:
            return false;
    }
}

}  // namespace

namespace sdl_backend {

void HandleControllerEvent(const SDL_Event& event, void (*keyDown)(int virtualKey)) {
    switch (event.type) {
        case SDL_CONTROLLERDEVICEADDED:
            OpenController(event.cdevice.which);
            break;
        case SDL_CONTROLLERDEVICEREMOVED:
            CloseController(event.cdevice.which);
            break;
        case SDL_CONTROLLERBUTTONDOWN:
            for (const ButtonKey& mapping : BUTTON_KEYS) {
                if (mapping.button == event.cbutton.button) {
                    keyDown(mapping.virtualKey);
                }
            }
            break;
        default:
            break;
    }
}

bool ControllerHeld(int virtualKey) {
    for (SDL_GameController* controller : g_controllers) {
        if (StickHeld(controller, virtualKey)) {
            return true;
        }
        for (const ButtonKey& mapping : BUTTON_KEYS) {
            if (mapping.virtualKey == virtualKey &&
                SDL_GameControllerGetButton(controller, mapping.button) != 0) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace sdl_backend
