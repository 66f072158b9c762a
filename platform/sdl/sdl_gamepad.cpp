// Game controllers through SDL's controller database, their buttons and stick meaning what
// the policy's pad map says. Controllers may come and go while the game runs.
#include <vector>

#include "platform/policy/pad.h"
#include "platform/sdl/sdl_internal.h"

namespace {

SDL_GameControllerButton ButtonOf(policy::PadButton button) {
    switch (button) {
        case policy::PadButton::DpadUp:
            return SDL_CONTROLLER_BUTTON_DPAD_UP;
        case policy::PadButton::DpadDown:
            return SDL_CONTROLLER_BUTTON_DPAD_DOWN;
        case policy::PadButton::DpadLeft:
            return SDL_CONTROLLER_BUTTON_DPAD_LEFT;
        case policy::PadButton::DpadRight:
            return SDL_CONTROLLER_BUTTON_DPAD_RIGHT;
        case policy::PadButton::South:
            return SDL_CONTROLLER_BUTTON_A;
        case policy::PadButton::East:
            return SDL_CONTROLLER_BUTTON_B;
        case policy::PadButton::Start:
            return SDL_CONTROLLER_BUTTON_START;
    }
    return SDL_CONTROLLER_BUTTON_INVALID;
}

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

// An axis from SDL's -32768..32767 to the policy's -1..1.
float Axis(SDL_GameController* controller, SDL_GameControllerAxis axis) {
    return static_cast<float>(SDL_GameControllerGetAxis(controller, axis)) / 32767.0f;
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
            for (const policy::PadKey& mapping : policy::PAD_KEYS) {
                if (ButtonOf(mapping.button) == event.cbutton.button) {
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
        if (policy::StickHolds(Axis(controller, SDL_CONTROLLER_AXIS_LEFTX), Axis(controller, SDL_CONTROLLER_AXIS_LEFTY),
                               virtualKey)) {
            return true;
        }
        for (const policy::PadKey& mapping : policy::PAD_KEYS) {
            if (mapping.virtualKey == virtualKey &&
                SDL_GameControllerGetButton(controller, ButtonOf(mapping.button)) != 0) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace sdl_backend
