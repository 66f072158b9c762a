// Gamepads through the browser's Gamepad API, in its standard layout, their buttons and
// stick meaning what the policy's pad map says. Pads may come and go while the game runs;
// a press is a button that went down since the last poll.
#include <emscripten/html5.h>

#include <algorithm>

#include "platform/policy/pad.h"
#include "platform/web/web_internal.h"

namespace {

constexpr int MAX_PADS = 4;

// A button's index in the standard layout.
int IndexOf(policy::PadButton button) {
    switch (button) {
        case policy::PadButton::DpadUp:
            return 12;
        case policy::PadButton::DpadDown:
            return 13;
        case policy::PadButton::DpadLeft:
            return 14;
        case policy::PadButton::DpadRight:
            return 15;
        case policy::PadButton::South:
            return 0;
        case policy::PadButton::East:
            return 1;
        case policy::PadButton::Start:
            return 9;
    }
    return -1;
}

EmscriptenGamepadEvent g_pads[MAX_PADS];
int g_padCount = 0;

bool ButtonDown(const EmscriptenGamepadEvent& pad, int button) {
    return button >= 0 && button < pad.numButtons && pad.digitalButton[button] != 0;
}

bool StickHeld(const EmscriptenGamepadEvent& pad, int virtualKey) {
    return pad.numAxes >= 2 &&
           policy::StickHolds(static_cast<float>(pad.axis[0]), static_cast<float>(pad.axis[1]), virtualKey);
}

}  // namespace

namespace web_backend {

void PollGamepads() {
    if (emscripten_sample_gamepad_data() != EMSCRIPTEN_RESULT_SUCCESS) return;
    const int count = std::min(emscripten_get_num_gamepads(), MAX_PADS);
    for (int i = 0; i < count; ++i) {
        EmscriptenGamepadEvent now{};
        if (emscripten_get_gamepad_status(i, &now) != EMSCRIPTEN_RESULT_SUCCESS || !now.connected) {
            now = EmscriptenGamepadEvent{};
        }
        const EmscriptenGamepadEvent& before = g_pads[i];
        for (const policy::PadKey& mapping : policy::PAD_KEYS) {
            if (ButtonDown(now, IndexOf(mapping.button)) && !ButtonDown(before, IndexOf(mapping.button))) {
                QueueKeyDown(mapping.virtualKey);
            }
        }
        g_pads[i] = now;
    }
    g_padCount = count;
}

bool GamepadHeld(int virtualKey) {
    for (int i = 0; i < g_padCount; ++i) {
        const EmscriptenGamepadEvent& pad = g_pads[i];
        if (!pad.connected) continue;
        if (StickHeld(pad, virtualKey)) return true;
        for (const policy::PadKey& mapping : policy::PAD_KEYS) {
            if (mapping.virtualKey == virtualKey && ButtonDown(pad, IndexOf(mapping.button))) return true;
        }
    }
    return false;
}

}  // namespace web_backend
