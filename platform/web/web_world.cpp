// What the page (page.js) shares with the game: the player's name on the world ranking and
// classic play, kept in the game's settings as on the desktop; and the runs the game asks
// to send, which the page sends to the server that served it (world.js).
#include <emscripten.h>

#include <optional>
#include <string>

#include "platform/policy/settings.h"
#include "platform/seam/backend.h"
#include "platform/web/web_internal.h"

extern "C" void lbSendDemo(const char* path);  // library_page.js

namespace {

struct PageSettings {
    std::string name;
    bool classic;
};

// A change waits for the game's next turn: saving it waits for the browser's storage.
std::optional<PageSettings> g_pending;
std::string g_nameGiven;

}  // namespace

namespace web_backend {

void ApplyPageSettings() {
    if (!g_pending) return;
    Settings& settings = RunSettings();
    settings.name = g_pending->name;
    settings.classic = g_pending->classic;
    g_pending.reset();
    SaveSettings(settings);
}

void SendDemo(const std::string& path) {
    lbSendDemo(path.c_str());
}

}  // namespace web_backend

extern "C" {

EMSCRIPTEN_KEEPALIVE const char* WebPlayerName() {
    g_nameGiven = g_pending ? g_pending->name : RunSettings().name;
    return g_nameGiven.c_str();
}

EMSCRIPTEN_KEEPALIVE int WebClassic() {
    return (g_pending ? g_pending->classic : RunSettings().classic) ? 1 : 0;
}

// An empty name sends nothing; a name the settings do not take changes nothing.
EMSCRIPTEN_KEEPALIVE void WebChangeSettings(const char* name, int classic) {
    const std::string given = name;
    if (!given.empty() && !ValidPlayerName(given)) return;
    g_pending = PageSettings{given, classic != 0};
}

}  // extern "C"
