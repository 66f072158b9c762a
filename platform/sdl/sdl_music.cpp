#include "platform/sdl/sdl_music.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <SDL_mixer.h>

#include "platform/backend.h"

namespace {

// Guards every field below and every Mix_*Music call but the load itself.
std::mutex g_lock;
std::condition_variable g_wake;
std::thread g_loader;
bool g_quit = false;

Mix_Music* g_loaded = nullptr;
int g_loadedId = -1;
int g_wantedId = -1;  // a piece to start once the loader has it
std::string g_wantedPath;

// The piece now playing, -1 for none. Cleared before every halt: SDL_mixer calls the
// finished hook both at the end of a piece (on the audio thread) and when it is halted,
// and only a real end is reported.
std::atomic<int> g_playingId{-1};

void MusicFinished() {
    const int id = g_playingId.exchange(-1);
    if (id >= 0) {
        NotifySoundFinished(id);
    }
}

void Halt() {
    g_playingId = -1;
    Mix_HaltMusic();
}

void StartLoaded() {
    g_wantedId = -1;
    g_playingId = g_loadedId;
    if (Mix_PlayMusic(g_loaded, 0) != 0) {
        g_playingId = -1;
    }
}

void Unload() {
    if (g_loaded != nullptr) {
        Mix_FreeMusic(g_loaded);
    }
    g_loaded = nullptr;
    g_loadedId = -1;
}

void LoaderLoop() {
    std::unique_lock<std::mutex> lock(g_lock);
    for (;;) {
        g_wake.wait(lock, [] { return g_quit || g_wantedId >= 0; });
        if (g_quit) {
            return;
        }
        const int id = g_wantedId;
        const std::string path = g_wantedPath;
        Mix_Music* previous = g_loaded;
        g_loaded = nullptr;
        g_loadedId = -1;
        lock.unlock();
        if (previous != nullptr) {
            Mix_FreeMusic(previous);
        }
        Mix_Music* music = Mix_LoadMUS(path.c_str());
        lock.lock();
        g_loaded = music;
        g_loadedId = music != nullptr ? id : -1;
        if (g_quit) {
            return;
        }
        if (music == nullptr && g_wantedId == id) {
            g_wantedId = -1;
        }
        if (music != nullptr && g_wantedId == id) {
            StartLoaded();
        }
    }
}

}  // namespace

namespace sdl_backend {

void StartMusic() {
    Mix_HookMusicFinished(MusicFinished);
    g_loader = std::thread(LoaderLoop);
}

void PlayMusic(int id, const std::string& path) {
    std::lock_guard<std::mutex> lock(g_lock);
    Halt();
    if (g_loadedId == id) {
        StartLoaded();
        return;
    }
    g_wantedId = id;
    g_wantedPath = path;
    g_wake.notify_one();
}

void StopMusic(int id) {
    std::lock_guard<std::mutex> lock(g_lock);
    if (g_wantedId == id) {
        g_wantedId = -1;
    }
    if (g_playingId == id) {
        Halt();
    }
}

void ReleaseMusic(int id) {
    StopMusic(id);
    std::lock_guard<std::mutex> lock(g_lock);
    if (g_loadedId == id) {
        Unload();
    }
}

void ShutDownMusic() {
    {
        std::lock_guard<std::mutex> lock(g_lock);
        g_quit = true;
        g_wantedId = -1;
        Halt();
    }
    g_wake.notify_one();
    if (g_loader.joinable()) {
        g_loader.join();
    }
    Unload();
}

}  // namespace sdl_backend
