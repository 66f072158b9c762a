// The player's settings as the SDL backend follows them: read when the window opens,
// written when the player changes one (fullscreen, window size, volume). Mute lasts for
// the run only.
#include <algorithm>

#include "platform/sdl/sdl_internal.h"

namespace {

constexpr int VOLUME_STEP = 10;

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
    settings.musicVolume = std::clamp(settings.musicVolume + steps * VOLUME_STEP, 0, 100);
    settings.effectsVolume = std::clamp(settings.effectsVolume + steps * VOLUME_STEP, 0, 100);
    SetAudioVolumes(settings.musicVolume, settings.effectsVolume);
    StoreSettings();
}

void ToggleMute() {
    g_muted = !g_muted;
    SetAudioMuted(g_muted);
}

}  // namespace sdl_backend
