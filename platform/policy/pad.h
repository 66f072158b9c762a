// What a gamepad means, the same in every front end: the D-pad and the left stick act as
// the arrow keys, the south button as Z, the east button and Start as X (pause). Escape
// stays on the keyboard.
#pragma once

namespace policy {

enum class PadButton { DpadUp, DpadDown, DpadLeft, DpadRight, South, East, Start };

struct PadKey {
    PadButton button;
    int virtualKey;
};
extern const PadKey PAD_KEYS[7];

// Whether the left stick, each axis from -1 (left, up) to 1 (right, down), holds the
// arrow key: pushed beyond 40 % of its travel that way.
bool StickHolds(float x, float y, int virtualKey);

}  // namespace policy
