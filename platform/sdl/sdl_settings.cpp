// The player's settings as the SDL backend follows them: read when the window opens,
// written when the player changes one (fullscreen at once; the window's size and the
// volume once they have settled, or at exit, so that dragging the window's edge or
// holding a volume key writes the file once). Mute lasts for the run only.
#include "platform/policy/volume.h"
#include "platform/sdl/sdl_internal.h"

namespace {

// A change is kept once no other came for this long.
constexpr Uint32 SETTLE_MS = 500;

bool g_loaded = false;
bool g_muted = false;
bool g_pending = false;  // changed since the last write
Uint32 g_due = 0;

}  // namespace

namespace sdl_backend {

Settings& PlayerSettings() {
    if (!g_loaded) {
        g_loaded = true;
        SetAudioVolumes(RunSettings().musicVolume, RunSettings().effectsVolume);
    }
    return RunSettings();
}

void StoreSettings() {
    g_pending = false;
    SaveSettings(PlayerSettings());
}

void StoreSettingsSoon() {
    g_pending = true;
    g_due = SDL_GetTicks() + SETTLE_MS;
}

void StoreSettledSettings(bool now) {
    if (g_pending && (now || SDL_TICKS_PASSED(SDL_GetTicks(), g_due))) StoreSettings();
}

void ChangeVolume(int steps) {
    Settings& settings = PlayerSettings();
    const policy::Note note = policy::StepVolume(settings, steps, g_muted);
    SetAudioVolumes(settings.musicVolume, settings.effectsVolume);
    StoreSettingsSoon();
    ShowNote(note.onScreen, note.onStderr);
}

void ToggleMute() {
    const policy::Note note = policy::ToggleMute(&g_muted);
    SetAudioMuted(g_muted);
    ShowNote(note.onScreen, note.onStderr);
}

}  // namespace sdl_backend
