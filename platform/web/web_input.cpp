// Keyboard, touch buttons, focus and visibility, and the test's key script. The page's
// keys become the keys the policy names (letters by the layout's key), and the policy says
// what each means, as on the desktop: a virtual key for the game, a key that counts as Z
// while held, or one of the backend's own (fullscreen, mute, volume; the page takes no
// screenshot). Keys with Ctrl or Meta, and keys nobody uses, are left to the browser (its
// shortcuts keep working).
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstring>
#include <deque>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/policy/keys.h"
#include "platform/seam/backend.h"
#include "platform/web/web_internal.h"

extern "C" void lbToggleFullscreen();  // library_page.js

namespace {

struct NamedKey {
    const char* name;
    int key;
};

constexpr NamedKey NAMED_KEYS[] = {
    {"Escape", policy::KEY_ESCAPE}, {"Enter", policy::KEY_ENTER},     {" ", policy::KEY_SPACE},
    {"ArrowLeft", policy::KEY_LEFT}, {"ArrowUp", policy::KEY_UP},       {"ArrowRight", policy::KEY_RIGHT},
    {"ArrowDown", policy::KEY_DOWN}, {"-", policy::KEY_MINUS},         {"+", policy::KEY_PLUS},
    {"=", policy::KEY_PLUS},         {"F11", policy::KEY_F11},         {"F12", policy::KEY_F12},
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

std::map<std::string, int> g_keyboard;  // the policy's keys held, by the physical key's code
std::multiset<int> g_touch;
std::set<int> g_scripted;
std::deque<Event> g_events;
bool g_focused = true;
bool g_visible = true;
bool g_active = true;
// The game runs to its first picture, then holds it until the page's start (a key, a
// click or a touch).
bool g_started = false;
bool g_firstPictureShown = false;
// The page's settings are open over the game.
bool g_held = false;

bool g_virtualClock = false;
std::vector<ScriptStep> g_script;
std::size_t g_nextStep = 0;
std::uint64_t g_pumps = 0;

// The policy's name for a KeyboardEvent's key, KEY_NONE for keys nobody uses.
int KeyOf(const char* name) {
    if (std::strlen(name) == 1) {
        const char c = name[0];
        if (c >= 'a' && c <= 'z') return 'A' + (c - 'a');
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return c;
    }
    for (const NamedKey& named : NAMED_KEYS) {
        if (std::strcmp(named.name, name) == 0) return named.key;
    }
    return policy::KEY_NONE;
}

// The test clock's run is not suspended by where the browser puts its focus. The first
// picture is drawn whatever has the focus.
void UpdateActive() {
    const bool active =
        g_virtualClock || (g_visible && (!g_firstPictureShown || (g_started && g_focused && !g_held)));
    if (active == g_active) return;
    g_active = active;
    g_events.push_back(Event{Event::ACTIVE, active ? 1 : 0});
}

// True when the key is one of the backend's own, which the game does not see.
bool HandleBackendKey(int key, const EmscriptenKeyboardEvent& event) {
    const policy::Hotkey hotkey = policy::HotkeyOf(key, event.altKey);
    if (hotkey == policy::Hotkey::None || hotkey == policy::Hotkey::Screenshot) return false;
    if (event.repeat && !policy::ActsOnRepeat(hotkey)) return true;
    switch (hotkey) {
        case policy::Hotkey::Fullscreen:
            lbToggleFullscreen();
            break;
        case policy::Hotkey::Mute:
            web_backend::ToggleMute();
            break;
        case policy::Hotkey::VolumeDown:
        case policy::Hotkey::VolumeUp:
            g_events.push_back(Event{Event::VOLUME, hotkey == policy::Hotkey::VolumeUp ? 1 : -1});
            break;
        default:
            break;
    }
    return true;
}

EM_BOOL OnKeyDown(int, const EmscriptenKeyboardEvent* event, void*) {
    if (event->ctrlKey || event->metaKey) return EM_FALSE;
    const int key = KeyOf(event->key);
    if (HandleBackendKey(key, *event)) return EM_TRUE;
    if (event->altKey) return EM_FALSE;
    const int virtualKey = policy::VirtualKeyOf(key);
    if (virtualKey == 0 && !policy::CountsAsZ(key, false)) return EM_FALSE;
    g_keyboard[event->code] = key;
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

void FirstPictureShown() {
    g_firstPictureShown = true;
    UpdateActive();
}

void QueueKeyDown(int virtualKey) {
    g_events.push_back(Event{Event::KEY, virtualKey});
}

}  // namespace web_backend

namespace web_backend {

void PumpEvents(const backend::EventSink& sink) {
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
    web_backend::ApplyPageSettings();
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
    for (const auto& [code, key] : g_keyboard) {
        if (policy::VirtualKeyOf(key) == virtualKey || (virtualKey == 'Z' && policy::CountsAsZ(key, false))) return true;
    }
    return g_touch.contains(virtualKey) || g_scripted.contains(virtualKey) ||
           web_backend::GamepadHeld(virtualKey);
}

}  // namespace web_backend

extern "C" {

EMSCRIPTEN_KEEPALIVE void WebTouchKey(int virtualKey, int down) {
    if (down != 0) {
        g_touch.insert(virtualKey);
        web_backend::QueueKeyDown(virtualKey);
    } else if (const auto it = g_touch.find(virtualKey); it != g_touch.end()) {
        g_touch.erase(it);
    }
}

EMSCRIPTEN_KEEPALIVE void WebStart() {
    g_started = true;
    UpdateActive();
}

// Called by the page: its settings opened over the game (1), or closed (0).
EMSCRIPTEN_KEEPALIVE void WebHold(int held) {
    g_held = held != 0;
    UpdateActive();
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
