// The hero of a kept run, looked up by play time: what the ghost the player races shows.
// Read once from the run's demo with the demo reader (the run is not played again), and
// kept small: a point per frame of play in which the hero changed, up to a bound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/demo/demo_format.h"

struct GhostPoint {
    std::uint32_t playTimeMs = 0;
    std::int16_t x = 0;  // world centre
    std::int16_t y = 0;
    std::uint8_t dir = 0;
    std::uint8_t anim = 0;
    std::uint8_t attack = 0;
};

// Two minutes of walking without a pause, 72 KB; a run longer than that ends its ghost
// where the bound falls.
constexpr std::size_t GHOST_MAX_POINTS = 6000;

struct GhostTrack {
    std::vector<GhostPoint> points;  // in order of play time
    std::uint32_t clearMs = 0;       // the play time the run cleared in
    std::uint32_t endMs = 0;         // hidden from here on: the clear, or where the bound fell
};

// The track of the run that made the demo's last clear. False, with the track empty, for
// a demo without a clear, one that keeps no positions (before format 3), or one whose hero
// is one the game could not show.
bool ReadGhostTrack(const Demo& demo, GhostTrack* track);

// The run's hero at play time t: its last frame of play at or before t; null before the
// first and from the run's end on.
const GhostPoint* GhostAt(const GhostTrack& track, std::uint32_t playTimeMs);
