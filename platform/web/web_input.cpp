// Keyboard, touch buttons, focus and visibility, and the test's key script. Keys map as
// on the desktop: letters by the layout's key, arrows, Escape, Enter; Enter and Space
// also count as Z. The backend's own keys: F11 and Alt+Enter switch fullscreen, M mutes,
// minus and plus change the volume. Keys with Ctrl or Meta, and keys the game does not
// use, are left to the browser (its shortcuts keep working).
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstring>
#include <deque>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/seam/backend.h"
#include "platform/web/web_internal.h"
#include "platform/seam/keys.h"

extern "C" void lbToggleFullscreen();  // library_page.js

namespace {

struct HeldKey {
    int virtualKey;  // 0 when the key only counts as Z
    bool zAlike;
};

struct NamedKey {
    const char* key;
    int virtualKey;
};

constexpr NamedKey NAMED_KEYS[] = {
    {"Escape", VK_ESCAPE}, {"Enter", VK_RETURN}, {"ArrowLeft", VK_LEFT},
    {"ArrowUp", VK_UP},    {"ArrowRight", VK_RIGHT}, {"ArrowDown", VK_DOWN},
};

// What the page reported, taken when the game pumps its events: a key press, the page
// becoming active or not, or a volume step (which saves the settings, and so waits for
// the browser's storage: that may only happen on the game's own turn).
struct Event {
    enum Kind { KEY, ACTIVE, VOLUME } kind;
    int value;  // the virtual key; 1 active, 0 not; the steps
};

struct ScriptStep {
    std::uint64_t atPump;
    int virtualKey;
    bool down;
};

std::map<std::string, HeldKey> g_keyboard;  // by the physical key's code
std::multiset<int> g_touch;
std::set<int> g_scripted;
std::deque<Event> g_events;
bool g_focused = true;
bool g_visible = true;
bool g_active = true;

bool g_virtualClock = false;
std::vector<ScriptStep> g_script;
std::size_t g_nextStep = 0;
std::uint64_t g_pumps = 0;

// 0 for keys the game has no virtual-key code for.
int VirtualKeyOf(const char* key) {
    if (std::strlen(key) == 1) {
        const char c = key[0];
        if (c >= 'a' && c <= 'z') return 'A' + (c - 'a');
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return c;
    }
    for (const NamedKey& named : NAMED_KEYS) {
        if (std::strcmp(named.key, key) == 0) return named.virtualKey;
    }
    return 0;
}

// The test clock's run is not suspended by where the browser puts its focus.
void UpdateActive() {
    const bool active = g_virtualClock || (g_focused && g_visible);
    if (active == g_active) return;
    g_active = active;
    g_events.push_back(Event{Event::ACTIVE, active ? 1 : 0});
}

// True when the key is one of the backend's own, which the game does not see.
bool HandleBackendKey(const EmscriptenKeyboardEvent& event) {
    const std::string key = event.key;
    const bool first = !event.repeat;
    if (key == "F11" || ((key == "Enter") && event.altKey)) {
        if (first) lbToggleFullscreen();
    } else if (key == "m" || key == "M") {
        if (first) web_backend::ToggleMute();
    } else if (key == "-") {
        g_events.push_back(Event{Event::VOLUME, -1});
    } else if (key == "+" || key == "=") {
        g_events.push_back(Event{Event::VOLUME, 1});
    } else {
        return false;
    }
    return true;
}

EM_BOOL OnKeyDown(int, const EmscriptenKeyboardEvent* event, void*) {
    if (event->ctrlKey || event->metaKey) return EM_FALSE;
    if (HandleBackendKey(*event)) return EM_TRUE;
    if (event->altKey) return EM_FALSE;
    const int virtualKey = VirtualKeyOf(event->key);
    const bool zAlike = std::strcmp(event->key, "Enter") == 0 || std::strcmp(event->key, " ") == 0;
    if (virtualKey == 0 && !zAlike) return EM_FALSE;
    g_keyboard[event->code] = HeldKey{virtualKey, zAlike};
    if (virtualKey != 0) web_backend::QueueKeyDown(virtualKey);
    return EM_TRUE;
}

EM_BOOL OnKeyUp(int, const EmscriptenKeyboardEvent* event, void*) {
    return g_keyboard.erase(event->code) > 0 ? EM_TRUE : EM_FALSE;
}

// A page that loses the focus gets no key-up for the keys held at that moment.
EM_BOOL OnFocus(int type, const EmscriptenFocusEvent*, void*) {
    g_focused = type == EMSCRIPTEN_EVENT_FOCUS;
    if (!g_focused) g_keyboard.clear();
    UpdateActive();
    return EM_FALSE;
}

EM_BOOL OnVisibility(int, const EmscriptenVisibilityChangeEvent* event, void*) {
    g_visible = !event->hidden;
    UpdateActive();
    return EM_FALSE;
}

}  // namespace

namespace web_backend {

void StartInput() {
    const char* document = EMSCRIPTEN_EVENT_TARGET_DOCUMENT;
    const char* window = EMSCRIPTEN_EVENT_TARGET_WINDOW;
    emscripten_set_keydown_callback(document, nullptr, EM_FALSE, OnKeyDown);
    emscripten_set_keyup_callback(document, nullptr, EM_FALSE, OnKeyUp);
    emscripten_set_focus_callback(window, nullptr, EM_FALSE, OnFocus);
    emscripten_set_blur_callback(window, nullptr, EM_FALSE, OnFocus);
    emscripten_set_visibilitychange_callback(nullptr, EM_FALSE, OnVisibility);
    EmscriptenVisibilityChangeEvent visibility{};
    emscripten_get_visibility_status(&visibility);
    g_visible = !visibility.hidden;
    g_focused = EM_ASM_INT({ return document.hasFocus() ? 1 : 0; }) != 0;
    UpdateActive();
}

bool PageActive() {
    return g_active;
}

bool VirtualClock() {
    return g_virtualClock;
}

void QueueKeyDown(int virtualKey) {
    g_events.push_back(Event{Event::KEY, virtualKey});
}

}  // namespace web_backend

namespace backend {

void PumpEvents(const EventSink& sink) {
    // The script's steps are stamped with the count of pumps before them: each turn of
    // the game's loop starts with a pump, so a step lands on the very turn it was made for.
    for (; g_nextStep < g_script.size() && g_script[g_nextStep].atPump <= g_pumps; ++g_nextStep) {
        const ScriptStep& step = g_script[g_nextStep];
        if (step.down) {
            g_scripted.insert(step.virtualKey);
            web_backend::QueueKeyDown(step.virtualKey);
        } else {
            g_scripted.erase(step.virtualKey);
        }
    }
    ++g_pumps;
    web_backend::PollGamepads();
    while (!g_events.empty()) {
        const Event event = g_events.front();
        g_events.pop_front();
        switch (event.kind) {
            case Event::KEY:
                sink.keyDown(event.value);
                break;
            case Event::ACTIVE:
                sink.activeChanged(event.value != 0);
                break;
            case Event::VOLUME:
                web_backend::ChangeVolume(event.value);
                break;
        }
    }
}

bool KeyHeld(int virtualKey) {
    for (const auto& [code, held] : g_keyboard) {
        if (held.virtualKey == virtualKey || (virtualKey == 'Z' && held.zAlike)) return true;
    }
    return g_touch.contains(virtualKey) || g_scripted.contains(virtualKey) ||
           web_backend::GamepadHeld(virtualKey);
}

}  // namespace backend

extern "C" {

EMSCRIPTEN_KEEPALIVE void WebTouchKey(int virtualKey, int down) {
    if (down != 0) {
        g_touch.insert(virtualKey);
        web_backend::QueueKeyDown(virtualKey);
    } else if (const auto it = g_touch.find(virtualKey); it != g_touch.end()) {
        g_touch.erase(it);
    }
}

// One step a line: "<pumps before it> <virtual key> <1 down | 0 up>".
EMSCRIPTEN_KEEPALIVE void WebUseVirtualClock(const char* script) {
    g_virtualClock = true;
    std::istringstream in(script);
    ScriptStep step{};
    int down = 0;
    while (in >> step.atPump >> step.virtualKey >> down) {
        step.down = down != 0;
        g_script.push_back(step);
    }
}

}  // extern "C"
