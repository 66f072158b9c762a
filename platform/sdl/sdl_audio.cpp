// Sound through SDL2_mixer: MIDI pieces through FluidSynth with Debian's General MIDI
// soundfont, WAV effects each on a mixer channel of its own so they mix over the music and
// a replay restarts only that effect. Without an audio device or without the soundfont
// the game runs silent: sounds still open, plays do nothing.
//
// A FluidSynth instance holds the whole soundfont, so only the piece that plays is kept
// loaded; it is loaded when it is first played, not when it is opened.
#include <unistd.h>

#include <atomic>
#include <string>
#include <vector>

#include <SDL_mixer.h>

#include "platform/backend.h"
#include "platform/sdl/sdl_internal.h"

namespace {

constexpr const char* SOUNDFONT_PATH = "/usr/share/sounds/sf2/TimGM6mb.sf2";

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

Mix_Music* g_loadedMusic = nullptr;
int g_loadedMusicId = -1;
// The piece now playing, -1 for none. Cleared before every halt, so the finished hook,
// which SDL_mixer calls both at the end of a piece (on the audio thread) and when it is
// halted, reports only pieces that really played to their end.
std::atomic<int> g_playingMusic{-1};

void MusicFinished() {
    const int id = g_playingMusic.exchange(-1);
    if (id >= 0) {
        NotifySoundFinished(id);
    }
}

bool Readable(const std::string& path) {
    return access(path.c_str(), R_OK) == 0;
}

void StartAudio() {
    g_audio = AudioState::Silent;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        return;
    }
    sdl_backend::ShutDownAtExit();
    Mix_Init(MIX_INIT_MID);
    if (Mix_OpenAudio(MIX_DEFAULT_FREQUENCY, MIX_DEFAULT_FORMAT, 2, 1024) != 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return;
    }
    g_audio = AudioState::Ready;
    g_musicAvailable = Readable(SOUNDFONT_PATH) && Mix_SetSoundFonts(SOUNDFONT_PATH) != 0;
    Mix_HookMusicFinished(MusicFinished);
}

Sound* Find(int id) {
    if (id < 0 || id >= static_cast<int>(g_sounds.size()) || !g_sounds[id].open) {
        return nullptr;
    }
    return &g_sounds[id];
}

void HaltMusic() {
    g_playingMusic = -1;
    Mix_HaltMusic();
}

void UnloadMusic() {
    if (g_loadedMusic != nullptr) {
        Mix_FreeMusic(g_loadedMusic);
    }
    g_loadedMusic = nullptr;
    g_loadedMusicId = -1;
}

void PlayMusic(int id, const Sound& sound) {
    HaltMusic();
    if (!g_musicAvailable) {
        return;
    }
    if (g_loadedMusicId != id) {
        UnloadMusic();
        g_loadedMusic = Mix_LoadMUS(sound.path.c_str());
        if (g_loadedMusic == nullptr) {
            return;
        }
        g_loadedMusicId = id;
    }
    g_playingMusic = id;
    if (Mix_PlayMusic(g_loadedMusic, 0) != 0) {
        g_playingMusic = -1;
    }
}

}  // namespace

namespace sdl_backend {

void ShutDownAudio() {
    if (g_audio != AudioState::Ready) {
        return;
    }
    HaltMusic();
    UnloadMusic();
    Mix_HaltChannel(-1);
    for (Sound& sound : g_sounds) {
        if (sound.chunk != nullptr) {
            Mix_FreeChunk(sound.chunk);
            sound.chunk = nullptr;
        }
    }
    Mix_CloseAudio();
    Mix_Quit();
    g_audio = AudioState::Silent;
}

}  // namespace sdl_backend

namespace backend {

int OpenSound(const std::string& path, bool music) {
    if (!Readable(path)) {
        return -1;
    }
    if (g_audio == AudioState::Untried) {
        StartAudio();
    }
    Sound sound{path, music, true, -1, nullptr};
    if (!music) {
        sound.channel = g_effectChannels++;
        if (g_audio == AudioState::Ready) {
            Mix_AllocateChannels(g_effectChannels);
            sound.chunk = Mix_LoadWAV(path.c_str());
        }
    }
    g_sounds.push_back(sound);
    return static_cast<int>(g_sounds.size()) - 1;
}

void PlaySound(int id) {
    const Sound* sound = Find(id);
    if (sound == nullptr || g_audio != AudioState::Ready) {
        return;
    }
    if (sound->music) {
        PlayMusic(id, *sound);
    } else if (sound->chunk != nullptr) {
        Mix_PlayChannel(sound->channel, sound->chunk, 0);
    }
}

void StopSound(int id) {
    const Sound* sound = Find(id);
    if (sound == nullptr || g_audio != AudioState::Ready) {
        return;
    }
    if (!sound->music) {
        Mix_HaltChannel(sound->channel);
    } else if (g_playingMusic == id) {
        HaltMusic();
    }
}

void CloseSound(int id) {
    Sound* sound = Find(id);
    if (sound == nullptr) {
        return;
    }
    StopSound(id);
    if (sound->music && g_loadedMusicId == id) {
        UnloadMusic();
    }
    if (sound->chunk != nullptr) {
        Mix_FreeChunk(sound->chunk);
        sound->chunk = nullptr;
    }
    sound->open = false;
}

}  // namespace backend
