// Volume, mute and suspension over SDL2_mixer's own controls: the music volume, the
// master volume for the effects, and pause. SDL2_mixer sets the music volume back to
// full when the device opens, so the audio start applies them again.
#include <SDL_mixer.h>

#include "platform/sdl/sdl_internal.h"

namespace {

int g_musicPercent = 100;
int g_effectsPercent = 100;
bool g_muted = false;

int MixerVolume(int percent) {
    return g_muted ? 0 : percent * MIX_MAX_VOLUME / 100;
}

bool AudioOpen() {
    return Mix_QuerySpec(nullptr, nullptr, nullptr) != 0;
}

}  // namespace

namespace sdl_backend {

void ApplyAudioControls() {
    Mix_VolumeMusic(MixerVolume(g_musicPercent));
    Mix_MasterVolume(MixerVolume(g_effectsPercent));
}

void SetAudioVolumes(int musicPercent, int effectsPercent) {
    g_musicPercent = musicPercent;
    g_effectsPercent = effectsPercent;
    ApplyAudioControls();
}

void SetAudioMuted(bool muted) {
    g_muted = muted;
    ApplyAudioControls();
}

void SetAudioSuspended(bool suspended) {
    if (!AudioOpen()) return;
    if (suspended) {
        Mix_PauseMusic();
        Mix_Pause(-1);
    } else {
        Mix_ResumeMusic();
        Mix_Resume(-1);
    }
}

}  // namespace sdl_backend
