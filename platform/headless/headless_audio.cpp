// Headless audio: sounds are files that exist; playing only marks them, and a test ends
// a piece with FinishPiece. A music piece is read with the music engine's own scanner, so
// one the engine could not play stays silent here too. Every MCI command string is logged.
#include <strings.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

#include "platform/headless/headless.h"
#include "platform/headless/headless_internal.h"
#include "platform/music/midi_scan.h"
#include "platform/seam/backend.h"

namespace {

struct Sound {
    std::string path;
    bool music;
    bool playable;
    bool open;
    bool playing;
};

std::vector<Sound> g_sounds;  // indexed by sound id
std::vector<std::string> g_mciLog;
std::vector<int> g_finished;
std::size_t g_closes = 0;

Sound* Find(int id) {
    if (id < 0 || static_cast<std::size_t>(id) >= g_sounds.size() || !g_sounds[id].open) return nullptr;
    return &g_sounds[id];
}

// Tests name a sound by its file name, whatever folder or letter case it was opened with.
bool IsFile(const Sound& sound, const std::string& fileName) {
    const std::string opened = std::filesystem::path(sound.path).filename().string();
    const std::string wanted = std::filesystem::path(fileName).filename().string();
    return sound.open && strcasecmp(opened.c_str(), wanted.c_str()) == 0;
}

}  // namespace

namespace headless {

int OpenSound(const std::string& path, bool music) {
    std::error_code error;
    std::ifstream in(path, std::ios::binary);
    if (!std::filesystem::is_regular_file(path, error) || !in.good()) return -1;
    bool playable = true;
    if (music) {
        const std::vector<std::uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
        std::vector<music::MidiPreset> presets;
        playable = music::ScanMidi(bytes, &presets);
    }
    g_sounds.push_back(Sound{path, music, playable, true, false});
    return static_cast<int>(g_sounds.size() - 1);
}

void PlaySound(int id) {
    Sound* sound = Find(id);
    if (sound == nullptr) return;
    if (sound->music) {
        for (Sound& other : g_sounds) {
            if (other.music) other.playing = false;
        }
    }
    sound->playing = sound->playable;
}

void StopSound(int id) {
    if (Sound* sound = Find(id)) sound->playing = false;
}

void CloseSound(int id) {
    ++g_closes;
    if (Sound* sound = Find(id)) {
        sound->open = false;
        sound->playing = false;
    }
}

std::vector<int> TakeFinishedSounds() {
    return std::exchange(g_finished, {});
}

void LogMciCommand(const char* command) {
    g_mciLog.emplace_back(command);
}

}  // namespace headless

namespace headless {

void ResetAudio() {
    g_sounds.clear();
    g_mciLog.clear();
    g_finished.clear();
    g_closes = 0;
}

const std::vector<std::string>& MciLog() {
    return g_mciLog;
}

void ClearMciLog() {
    g_mciLog.clear();
}

std::size_t OpenSounds() {
    return static_cast<std::size_t>(std::count_if(g_sounds.begin(), g_sounds.end(), [](const Sound& s) { return s.open; }));
}

std::size_t SoundCloses() {
    return g_closes;
}

bool IsPlaying(const std::string& fileName) {
    for (const Sound& sound : g_sounds) {
        if (IsFile(sound, fileName) && sound.playing) return true;
    }
    return false;
}

void FinishPiece(const std::string& fileName) {
    for (std::size_t id = 0; id < g_sounds.size(); ++id) {
        if (IsFile(g_sounds[id], fileName) && g_sounds[id].playing) {
            g_sounds[id].playing = false;
            ReportFinished(static_cast<int>(id));
            return;
        }
    }
}

void ReportFinished(int soundId) {
    g_finished.push_back(soundId);
}

}  // namespace headless
