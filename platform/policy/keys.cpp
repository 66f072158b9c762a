#include "platform/policy/keys.h"

#include "platform/seam/keys.h"

namespace policy {

int VirtualKeyOf(int key) {
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return key;
    switch (key) {
        case KEY_ESCAPE:
            return VK_ESCAPE;
        case KEY_ENTER:
            return VK_RETURN;
        case KEY_LEFT:
            return VK_LEFT;
        case KEY_UP:
            return VK_UP;
        case KEY_RIGHT:
            return VK_RIGHT;
        case KEY_DOWN:
            return VK_DOWN;
        default:
            return 0;
    }
}

bool CountsAsZ(int key, bool alt) {
    return !alt && (key == KEY_ENTER || key == KEY_KEYPAD_ENTER || key == KEY_SPACE);
}

Hotkey HotkeyOf(int key, bool alt) {
    if (key == KEY_F11 || (alt && (key == KEY_ENTER || key == KEY_KEYPAD_ENTER))) return Hotkey::Fullscreen;
    switch (key) {
        case KEY_F12:
            return Hotkey::Screenshot;
        case 'M':
            return Hotkey::Mute;
        case KEY_MINUS:
            return Hotkey::VolumeDown;
        case KEY_PLUS:
            return Hotkey::VolumeUp;
        default:
            return Hotkey::None;
    }
}

bool ActsOnRepeat(Hotkey hotkey) {
    return hotkey == Hotkey::VolumeDown || hotkey == Hotkey::VolumeUp;
}

}  // namespace policy
