// Sound through Web Audio (library_audio.js): music pieces rendered at build time and the
// WAV effects, at the levels and by the volume law of the policy, as on the desktop (M
// mutes for the run, minus and plus change both volumes, kept in the settings; each says
// what it did in a note). Under the test clock nothing plays, so no piece can end in the
// middle of a scripted run.
#include <emscripten.h>

#include <cstdio>
#include <utility>
#include <vector>

#include "platform/policy/settings.h"
#include "platform/policy/volume.h"
#include "platform/web/web_internal.h"

extern "C" {
// library_audio.js
int lbAudioOpen(const char* path, int music);
void lbAudioPlay(int id);
void lbAudioStop(int id);
void lbAudioClose(int id);
void lbAudioLevels(double music, double effects);
// library_page.js
void lbShowNote(const char* text);
}

namespace {

bool g_muted = false;
std::vector<int> g_finished;

Settings& PlayerSettings() {
    return RunSettings();
}

void ApplyVolumes() {
    const Settings& settings = PlayerSettings();
    lbAudioLevels(policy::MusicGain(settings.musicVolume, g_muted), policy::EffectsGain(settings.effectsVolume, g_muted));
}

void ShowNote(const policy::Note& note) {
    std::fprintf(stderr, "lantern-blade: %s\n", note.onStderr.c_str());
    lbShowNote(note.onScreen.c_str());
}

}  // namespace

namespace web_backend {

void ToggleMute() {
    const policy::Note note = policy::ToggleMute(&g_muted);
    ApplyVolumes();
    ShowNote(note);
}

void ChangeVolume(int steps) {
    const policy::Note note = policy::StepVolume(PlayerSettings(), steps, g_muted);
    ApplyVolumes();
    SaveSettings(PlayerSettings());
    ShowNote(note);
}

}  // namespace web_backend

namespace web_backend {

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

}  // namespace web_backend

// Called by library_audio.js when a piece has played to its end.
extern "C" EMSCRIPTEN_KEEPALIVE void WebSoundFinished(int id) {
    g_finished.push_back(id);
}
