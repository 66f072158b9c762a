// A lost X display connection (the server gone, the window killed, the session over)
// ends the game at once. Left to Xlib, its handler calls exit(), whose handlers shut SDL
// down over the dead connection and wait for an answer that never comes, at full speed.
// Nothing is lost by ending without them: a save is complete before the loop reads the
// display again, and what must be written at the end registers with at_quick_exit.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "platform/sdl/sdl_internal.h"

namespace {

using IoErrorHandler = int (*)(void* display);

int EndOnLostDisplay(void*) {
    std::fputs("lantern-blade: the connection to the display was lost\n", stderr);
    std::fflush(nullptr);
    // Only what was registered for this end runs (a recording written), nothing that
    // would talk to the display.
    std::quick_exit(1);
}

}  // namespace

namespace sdl_backend {

void WatchDisplayConnection() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr || SDL_strcmp(driver, "x11") != 0) return;
    // SDL has loaded Xlib already; this only finds it.
    void* xlib = ::dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
    if (xlib == nullptr) return;
    auto* setHandler =
        reinterpret_cast<IoErrorHandler (*)(IoErrorHandler)>(::dlsym(xlib, "XSetIOErrorHandler"));
    if (setHandler != nullptr) setHandler(EndOnLostDisplay);
    ::dlclose(xlib);
}

}  // namespace sdl_backend
