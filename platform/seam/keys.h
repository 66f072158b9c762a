// The virtual-key codes the game and the backends name keys by; letters are their
// upper-case ASCII codes ('Z', 'X', 'C', 'A').
#pragma once

constexpr int VK_RETURN = 0x0D;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
