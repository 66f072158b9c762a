#include "platform/policy/pad.h"

#include "platform/seam/keys.h"

namespace policy {

const PadKey PAD_KEYS[7] = {
    {PadButton::DpadUp, VK_UP},     {PadButton::DpadDown, VK_DOWN}, {PadButton::DpadLeft, VK_LEFT},
    {PadButton::DpadRight, VK_RIGHT}, {PadButton::South, 'Z'},      {PadButton::East, 'X'},
    {PadButton::Start, 'X'},
};

bool StickHolds(float x, float y, int virtualKey) {
    constexpr float PUSHED = 0.4f;
    switch (virtualKey) {
        case VK_LEFT:
            return x < -PUSHED;
        case VK_RIGHT:
            return x > PUSHED;
        case VK_UP:
            return y < -PUSHED;
        case VK_DOWN:
            return y > PUSHED;
        default:
            return false;
    }
}

}  // namespace policy
