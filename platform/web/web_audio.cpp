// Sound through Web Audio (library_audio.js): music pieces rendered at build time and the
// WAV effects, at the desktop's fixed levels, the player's volumes (M mutes for the run,
// minus and plus change both volumes, kept in the settings). Under the test clock
// nothing plays, so no piece can end in the middle of a scripted run.
#include <emscripten.h>

#include <utility>
#include <vector>

#include "platform/seam/backend.h"
#include "platform/host/settings.h"
#include "platform/web/web_internal.h"

extern "C" {
// library_audio.js
int lbAudioOpen(const char* path, int music);
void lbAudioPlay(int id);
void lbAudioStop(int id);
void lbAudioClose(int id);
void lbAudioLevels(double music, double effects);
}

namespace {

// The same headroom as on the desktop: the music at 0.44 of the level it was rendered at,
// the effects at 0.26 of theirs.
constexpr double MUSIC_GAIN = 0.44;
constexpr double EFFECTS_GAIN = 0.26;

Settings g_settings;
bool g_loaded = false;
bool g_muted = false;
std::vector<int> g_finished;

Settings& PlayerSettings() {
    if (!g_loaded) {
        g_loaded = true;
        g_settings = LoadSettings();
    }
    return g_settings;
}

void ApplyVolumes() {
    const Settings& settings = PlayerSettings();
    const double scale = g_muted ? 0.0 : 0.01;
    lbAudioLevels(MUSIC_GAIN * settings.musicVolume * scale, EFFECTS_GAIN * settings.effectsVolume * scale);
}

}  // namespace

namespace web_backend {

void ToggleMute() {
    g_muted = !g_muted;
    ApplyVolumes();
}

void ChangeVolume(int steps) {
    StepVolumes(PlayerSettings(), steps);
    ApplyVolumes();
    SaveSettings(PlayerSettings());
}

}  // namespace web_backend

namespace backend {

int OpenSound(const std::string& path, bool music) {
    const int id = lbAudioOpen(path.c_str(), music ? 1 : 0);
    if (id == 0) ApplyVolumes();
    return id;
}

void PlaySound(int id) {
    if (!web_backend::VirtualClock()) lbAudioPlay(id);
}

void StopSound(int id) {
    lbAudioStop(id);
}

void CloseSound(int id) {
    lbAudioClose(id);
}

std::vector<int> TakeFinishedSounds() {
    return std::exchange(g_finished, {});
}

void RecordMciCommand(const char*) {}

}  // namespace backend

// Called by library_audio.js when a piece has played to its end.
extern "C" EMSCRIPTEN_KEEPALIVE void WebSoundFinished(int id) {
    g_finished.push_back(id);
}
