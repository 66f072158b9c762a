// The player's settings as the SDL backend follows them: read when the window opens,
// written when the player changes one (fullscreen, window size, volume). Mute lasts for
// the run only.
#include "platform/sdl/sdl_internal.h"

namespace {

Settings g_settings;
bool g_loaded = false;
bool g_muted = false;

}  // namespace

namespace sdl_backend {

Settings& PlayerSettings() {
    if (!g_loaded) {
        g_loaded = true;
        g_settings = LoadSettings();
        SetAudioVolumes(g_settings.musicVolume, g_settings.effectsVolume);
    }
    return g_settings;
}

void StoreSettings() {
    SaveSettings(PlayerSettings());
}

void ChangeVolume(int steps) {
    Settings& settings = PlayerSettings();
    StepVolumes(settings, steps);
    SetAudioVolumes(settings.musicVolume, settings.effectsVolume);
    StoreSettings();
}

void ToggleMute() {
    g_muted = !g_muted;
    SetAudioMuted(g_muted);
}

}  // namespace sdl_backend
