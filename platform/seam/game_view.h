// What the game is doing, as plain numbers: the scene, the play clock as the countdown
// reads it, the kills, the hero and every enemy, and the counters and clocks the game
// reads. The app fills it from the game's globals when asked; demos check runs against it
// and overlays draw from it, so neither needs to know the game's code.
#pragma once

#include <cstdint>

constexpr int GAME_VIEW_ENEMIES = 10;

struct ActorView {
    std::int32_t x = 0;  // world centre (screen centre once a clear has begun)
    std::int32_t y = 0;
    std::uint8_t dir = 0;  // 0 down, 1 up, 2 right, 3 left
    std::uint8_t anim = 0;  // walk cycle, 0..15
    std::uint8_t attack = 0;  // swing counter, 0 when idle
    std::uint8_t state = 0;  // 0 gone, 1 breaking up, 3 alive
    std::int32_t hp = 0;
};

struct GameView {
    int scene = 0;
    // Milliseconds played since the stage loaded, pauses left out, as of the last frame
    // of play (what the countdown subtracts from its minute).
    std::uint32_t playTimeMs = 0;
    int kills = 0;
    ActorView hero;
    ActorView enemies[GAME_VIEW_ENEMIES];
    std::int32_t ranking[6] = {};
    // Everything else the game reads from frame to frame: its clocks, the random
    // sequence's position, the menus' selections and the transitions' steps. Compared,
    // never drawn.
    static constexpr int COUNTERS = 32;
    std::int64_t counters[COUNTERS] = {};
};

// Set by the app at start; null where no game runs (a backend alone under test).
inline void (*g_readGameView)(GameView* view) = nullptr;

// The game's state now; false (the view untouched) when nothing can tell it.
inline bool ReadGameView(GameView* view) {
    if (g_readGameView == nullptr) return false;
    g_readGameView(view);
    return true;
}
