// A demo shown from the game: the game binary plays it in a process of its own, so the
// state of the game that waits is never touched, in a window like the game's own, which
// is hidden meanwhile with its sound held.
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/sdl/sdl_internal.h"

namespace {

constexpr Uint32 WAIT_STEP_MS = 20;

// Input and window events that came while the demo's own window was shown belong to it.
void DropEvents() {
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_WINDOWEVENT, SDL_SYSWMEVENT);
    SDL_FlushEvents(SDL_KEYDOWN, SDL_MOUSEWHEEL);
    SDL_FlushEvents(SDL_CONTROLLERAXISMOTION, SDL_CONTROLLERBUTTONUP);
}

}  // namespace

namespace backend {

void ShowDemo(const std::string& path) {
    pid_t child = 0;
    const int failure = sdl_backend::SpawnGame(
        {"--playdemo", path, sdl_backend::WindowFullscreen() ? "--fullscreen" : "--windowed"}, nullptr, &child);
    if (failure != 0) {
        sdl_backend::ShowNote("Cannot show the run", "cannot start the game to show " + path + ": " +
                                                         std::strerror(failure));
        return;
    }
    sdl_backend::SetAudioSuspended(true);
    sdl_backend::SetWindowHidden(true);
    int status = 0;
    for (pid_t ended = 0; ended == 0 || (ended < 0 && errno == EINTR);) {
        DropEvents();
        SDL_Delay(WAIT_STEP_MS);
        ended = waitpid(child, &status, WNOHANG);
    }
    DropEvents();
    sdl_backend::SetWindowHidden(false);
    sdl_backend::SetAudioSuspended(false);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        sdl_backend::ShowNote("The run did not play back", "the run in " + path + " did not play back to its end");
    }
}

}  // namespace backend
