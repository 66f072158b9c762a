// Sound through SDL2_mixer: MIDI pieces through FluidSynth with Debian's General MIDI
// soundfont (see sdl_music.h), WAV effects each on a mixer channel of its own so they mix
// over the music and a replay restarts only that effect. Without an audio device or
// without the soundfont the game runs silent: sounds still open, plays do nothing.
#include <unistd.h>

#include <string>
#include <vector>

#include <SDL_mixer.h>

#include "platform/backend.h"
#include "platform/sdl/sdl_internal.h"
#include "platform/sdl/sdl_music.h"

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
    sdl_backend::ApplyAudioControls();
    g_musicAvailable = Readable(SOUNDFONT_PATH) && Mix_SetSoundFonts(SOUNDFONT_PATH) != 0;
    if (g_musicAvailable) {
        sdl_backend::StartMusic();
    }
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

void ShutDownAudio() {
    if (g_audio != AudioState::Ready) {
        return;
    }
    if (g_musicAvailable) {
        ShutDownMusic();
    }
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
    if (!music && g_audio == AudioState::Ready) {
        sound.channel = g_effectChannels++;
        Mix_AllocateChannels(g_effectChannels);
        sound.chunk = Mix_LoadWAV(path.c_str());
    }
    g_sounds.push_back(sound);
    return static_cast<int>(g_sounds.size()) - 1;
}

void PlaySound(int id) {
    const Sound* sound = Audible(id);
    if (sound == nullptr) {
        return;
    }
    if (sound->music) {
        sdl_backend::PlayMusic(id, sound->path);
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
        sdl_backend::StopMusic(id);
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
        sdl_backend::ReleaseMusic(id);
    } else {
        Mix_HaltChannel(sound->channel);
        Mix_FreeChunk(sound->chunk);
        sound->chunk = nullptr;
    }
    sound->open = false;
}

}  // namespace backend
