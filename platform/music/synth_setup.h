// What the live synthesizer and the one that renders takes in the background share: the
// settings, the soundfont search, the block size, the end of a piece and the sample format,
// so that both render a pass alike.
#pragma once

#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace music {

// Render in the synthesizer's own block size, so a piece's end is seen within 1.5 ms.
constexpr int SYNTH_BLOCK_FRAMES = 64;
// Names the settings below in the key of a stored take: change it with them.
constexpr const char* SYNTH_SETTINGS_TAG = "44100 gain1 dry poly64 linear block64";

// The soundfonts to try in turn: the one the user names in LANTERN_BLADE_SOUNDFONT, then
// those Debian's own players look for; only readable regular files count.
std::vector<std::string> Soundfonts();
// Settings and a synthesizer with `channels` MIDI channels, or null synth on failure;
// the caller deletes both.
fluid_synth_t* NewSynth(int channels, fluid_settings_t** settings);
// Loads the soundfont and sets the interpolation; the font's id, or FLUID_FAILED.
int LoadFont(fluid_synth_t* synth, const std::string& path);
// Whether the player has reached its last tick. `totalTicks` caches the length (0 until
// known): FluidSynth walks every track to find it.
bool ReachedEnd(fluid_player_t* player, int* totalTicks);

inline std::int16_t ToSample(float value) {
    return static_cast<std::int16_t>(std::lrint(std::clamp(value, -1.0f, 1.0f) * 32767.0f));
}

}  // namespace music
