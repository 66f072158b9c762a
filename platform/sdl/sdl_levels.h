// What the SDL mixer is set to for the player's volumes. The policy's gains are what the
// player hears; the mixer takes them at the limiter's headroom (which the limiter makes
// up), the effects' fixed level as each channel's volume and the effects volume and the
// mute as the master volume over them, in the mixer's whole steps.
#pragma once

namespace sdl_backend {

// The mixer's full volume (SDL_mixer's MIX_MAX_VOLUME).
constexpr int MIXER_FULL = 128;

struct MixerLevels {
    float music;        // the music engine's level
    int channelVolume;  // every effect channel's, 0 to MIXER_FULL
    int masterVolume;   // over all the channels, 0 to MIXER_FULL
};

MixerLevels MixerLevelsFor(int musicPercent, int effectsPercent, bool muted);

}  // namespace sdl_backend
