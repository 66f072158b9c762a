// How loud the game plays, the same in every front end. Each tenth of a volume is 3 dB,
// so every press of the volume keys changes the loudness alike (100 is the full level, 10
// is 27 dB below it, 0 is silence). The full level is fixed against the levels the data is
// made for: every piece renders at about -22 dBFS RMS (the synthesizer at gain 1), so the
// music plays near -20 dBFS; the loudest fifth of a second of each effect sounds 3 to 6 dB
// above it.
#pragma once

#include <string>

struct Settings;

namespace policy {

constexpr float MUSIC_LEVEL = 1.26f;
constexpr float EFFECTS_LEVEL = 0.66f;

// The gain of a volume in percent, before the fixed level.
float VolumeGain(int percent);
// What the music and the effects are played at against the level they were made at.
float MusicGain(int percent, bool muted);
float EffectsGain(int percent, bool muted);

// What the front end says about a key of its own: the short note over the picture and
// the line on stderr.
struct Note {
    std::string onScreen;
    std::string onStderr;
};

// The volume keys: every volume up or down by a tenth (kept in the settings).
Note StepVolume(Settings& settings, int steps, bool muted);
// M: mute for the run, or sound on again.
Note ToggleMute(bool* muted);

}  // namespace policy
