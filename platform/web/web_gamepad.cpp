// Gamepads through the browser's Gamepad API, in its standard layout: the D-pad and the
// left stick act as the arrow keys, the south button as Z, the east button and Start as X
// (pause). Pads may come and go while the game runs; a press is a button that went down
// since the last poll.
#include <emscripten/html5.h>

#include <algorithm>

#include "platform/web/web_internal.h"
#include "platform/seam/keys.h"

namespace {

// A stick counts as pushed beyond 40% of its travel.
constexpr double STICK_THRESHOLD = 0.4;
constexpr int MAX_PADS = 4;

struct ButtonKey {
    int button;  // index in the standard layout
    int virtualKey;
};

constexpr ButtonKey BUTTON_KEYS[] = {
    {12, VK_UP}, {13, VK_DOWN}, {14, VK_LEFT}, {15, VK_RIGHT}, {0, 'Z'}, {1, 'X'}, {9, 'X'},
};

EmscriptenGamepadEvent g_pads[MAX_PADS];
int g_padCount = 0;

bool ButtonDown(const EmscriptenGamepadEvent& pad, int button) {
    return button < pad.numButtons && pad.digitalButton[button] != 0;
}

bool StickHeld(const EmscriptenGamepadEvent& pad, int virtualKey) {
    if (pad.numAxes < 2) return false;
    switch (virtualKey) {
        case VK_LEFT:
            return pad.axis[0] < -STICK_THRESHOLD;
        case VK_RIGHT:
            return pad.axis[0] > STICK_THRESHOLD;
        case VK_UP:
            return pad.axis[1] < -STICK_THRESHOLD;
        case VK_DOWN:
            return pad.axis[1] > STICK_THRESHOLD;
        default:
            return false;
    }
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
        for (const ButtonKey& mapping : BUTTON_KEYS) {
            if (ButtonDown(now, mapping.button) && !ButtonDown(before, mapping.button)) {
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
        for (const ButtonKey& mapping : BUTTON_KEYS) {
            if (mapping.virtualKey == virtualKey && ButtonDown(pad, mapping.button)) return true;
        }
    }
    return false;
}

}  // namespace web_backend
