// What a key means, the same in every front end: the game's virtual key, the keys that
// also count as Z, and the front end's own keys (fullscreen, screenshot, mute, volume).
// A front end names each key it reads by a Key; the meaning is decided here only.
#pragma once

namespace policy {

// Letters and digits by their upper-case ASCII code ('A', '7'); every other key the game
// or a front end uses by a code beyond any character. KEY_NONE: a key nobody uses.
enum Key : int {
    KEY_NONE = 0,
    KEY_ESCAPE = 0x100,
    KEY_ENTER,
    KEY_KEYPAD_ENTER,
    KEY_SPACE,
    KEY_LEFT,
    KEY_UP,
    KEY_RIGHT,
    KEY_DOWN,
    KEY_MINUS,
    KEY_PLUS,  // '=' and '+' alike: the key that carries both
    KEY_F11,
    KEY_F12,
};

// The game's virtual key for a key, 0 when the game has none (Space and the keypad's
// Enter count as Z only while held: see CountsAsZ).
int VirtualKeyOf(int key);
// Held without Alt, Enter, the keypad's Enter and Space act as Z (Alt+Enter is no pick).
bool CountsAsZ(int key, bool alt);

enum class Hotkey { None, Fullscreen, Screenshot, Mute, VolumeDown, VolumeUp };
// The front end's own key a press is, which the game then does not see.
Hotkey HotkeyOf(int key, bool alt);
// A held key repeats the volume steps; the other hotkeys act once a press.
bool ActsOnRepeat(Hotkey hotkey);

}  // namespace policy
