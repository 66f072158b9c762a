// Sound through SDL2_mixer: the music engine renders into the mixer's music hook, and the
// WAV effects each play on a mixer channel of its own, so they mix over the music and a
// replay restarts only that effect. Each piece's first pass is kept in the user's cache
// folder, so the music's later passes cost almost nothing. Without an audio device or
// without a soundfont the game runs silent (one line on stderr says why): sounds still
// open, plays do nothing.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include <SDL_mixer.h>

#include "platform/host/user_dirs.h"
#include "platform/music/music.h"
#include "platform/sdl/sdl_internal.h"
#include "platform/sdl/sdl_levels.h"
#include "platform/sdl/sdl_limiter.h"
#include "platform/seam/backend.h"

namespace {

// The mixer adds the music and the effects at the limiter's headroom (a swing and a kill
// over the music can sum beyond full scale), and the limiter holds what would clip; the
// levels themselves are the policy's.
//
// A buffer of 1024 frames (23.2 ms): an effect starts within about one frame of the
// picture that plays it, and the mixer wakes half as often as with 512 (its wake-ups
// are most of what sound costs once the music is read from its take).
constexpr int BUFFER_FRAMES = 1024;

struct Sound {
    std::string path;
    bool music;
    bool open;
    int channel;       // effects: the mixer channel it plays on
    Mix_Chunk* chunk;  // effects: the decoded samples, null when silent
};

enum class AudioState { Untried, Ready, Silent };

AudioState g_audio = AudioState::Untried;
bool g_musicAvailable = false;
std::vector<Sound> g_sounds;
int g_effectChannels = 0;
int g_musicPercent = 100;
int g_effectsPercent = 100;
bool g_muted = false;
bool g_suspended = false;

// Filled on the mixer's thread as pieces reach their end, emptied on the game's.
std::mutex g_finishedLock;
std::vector<int> g_finished;

bool Readable(const std::string& path) {
    return access(path.c_str(), R_OK) == 0;
}

// The master volume is kept by the mixer, device or not.
void ApplyVolumes() {
    const sdl_backend::MixerLevels levels = sdl_backend::MixerLevelsFor(g_musicPercent, g_effectsPercent, g_muted);
    Mix_MasterVolume(levels.masterVolume);
    if (g_audio != AudioState::Ready) return;
    Mix_Volume(-1, levels.channelVolume);
    if (g_musicAvailable) music::SetMusicLevel(levels.music);
}

void Limit(void*, Uint8* stream, int length) {
    sdl_backend::LimitMix(reinterpret_cast<std::int16_t*>(stream), length / 4);
}

void MixMusic(void*, Uint8* stream, int length) {
    const int ended = music::RenderMusic(reinterpret_cast<std::int16_t*>(stream), length / 4);
    if (ended < 0) return;
    {
        std::lock_guard lock(g_finishedLock);
        g_finished.push_back(ended);
    }
    sdl_backend::WakeIdle();
}

void StartAudio() {
    g_audio = AudioState::Silent;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0 ||
        Mix_OpenAudio(music::MUSIC_RATE, AUDIO_S16SYS, 2, BUFFER_FRAMES) != 0) {
        std::fprintf(stderr,
                     "lantern-blade: no audio device (%s), so no sound: check the sound "
                     "server or ALSA, or pick a driver with SDL_AUDIODRIVER\n",
                     SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return;
    }
    sdl_backend::ShutDownAtExit();
    g_audio = AudioState::Ready;
    Mix_SetPostMix(Limit, nullptr);
    if (const std::filesystem::path cache = CacheFolder(); !cache.empty()) music::KeepTakesIn(cache / "music");
    g_musicAvailable = music::StartMusic();
    if (g_musicAvailable) Mix_HookMusic(MixMusic, nullptr);
    ApplyVolumes();
    sdl_backend::SetAudioSuspended(g_suspended);
}

// The open sound with that id when it can be heard, else null.
Sound* Audible(int id) {
    if (g_audio != AudioState::Ready || id < 0 || id >= static_cast<int>(g_sounds.size()) ||
        !g_sounds[id].open) {
        return nullptr;
    }
    Sound* sound = &g_sounds[id];
    if (sound->music ? !g_musicAvailable : sound->chunk == nullptr) {
        return nullptr;
    }
    return sound;
}

}  // namespace

namespace sdl_backend {

void SetAudioVolumes(int musicPercent, int effectsPercent) {
    g_musicPercent = std::clamp(musicPercent, 0, 100);
    g_effectsPercent = std::clamp(effectsPercent, 0, 100);
    ApplyVolumes();
}

void SetAudioMuted(bool muted) {
    g_muted = muted;
    ApplyVolumes();
}

void SetAudioSuspended(bool suspended) {
    g_suspended = suspended;
    if (g_audio != AudioState::Ready) return;
    if (g_musicAvailable) music::HoldMusic(suspended);
    if (suspended) {
        Mix_Pause(-1);
    } else {
        Mix_Resume(-1);
    }
}

void ShutDownAudio() {
    if (g_audio != AudioState::Ready) {
        return;
    }
    if (g_musicAvailable) {
        music::ShutDownMusic();
        Mix_HookMusic(nullptr, nullptr);
    }
    Mix_HaltChannel(-1);
    for (Sound& sound : g_sounds) {
        if (sound.chunk != nullptr) {
            Mix_FreeChunk(sound.chunk);
            sound.chunk = nullptr;
        }
    }
    Mix_CloseAudio();
    g_audio = AudioState::Silent;
}

}  // namespace sdl_backend

namespace sdl_backend {

int OpenSound(const std::string& path, bool music) {
    if (!Readable(path)) {
        return -1;
    }
    if (g_audio == AudioState::Untried) {
        StartAudio();
    }
    const int id = static_cast<int>(g_sounds.size());
    Sound sound{path, music, true, -1, nullptr};
    if (music && g_musicAvailable) {
        music::LoadMusic(id, path);
    }
    if (!music && g_audio == AudioState::Ready) {
        sound.channel = g_effectChannels++;
        Mix_AllocateChannels(g_effectChannels);
        sound.chunk = Mix_LoadWAV(path.c_str());
        ApplyVolumes();
    }
    g_sounds.push_back(sound);
    return id;
}

void PlaySound(int id) {
    const Sound* sound = Audible(id);
    if (sound == nullptr) {
        return;
    }
    if (sound->music) {
        music::PlayMusic(id);
    } else {
        Mix_PlayChannel(sound->channel, sound->chunk, 0);
    }
}

void StopSound(int id) {
    const Sound* sound = Audible(id);
    if (sound == nullptr) {
        return;
    }
    if (sound->music) {
        music::StopMusic(id);
    } else {
        Mix_HaltChannel(sound->channel);
    }
}

void CloseSound(int id) {
    Sound* sound = Audible(id);
    if (sound == nullptr) {
        if (id >= 0 && id < static_cast<int>(g_sounds.size())) {
            g_sounds[id].open = false;
        }
        return;
    }
    if (sound->music) {
        music::ReleaseMusic(id);
    } else {
        Mix_HaltChannel(sound->channel);
        Mix_FreeChunk(sound->chunk);
        sound->chunk = nullptr;
    }
    sound->open = false;
}

std::vector<int> TakeFinishedSounds() {
    std::lock_guard lock(g_finishedLock);
    return std::exchange(g_finished, {});
}

}  // namespace sdl_backend
