// Headless clock and input: a virtual clock that only tests and idle turns move, keys
// and window-close requests scripted by tests.
#include <deque>
#include <set>
#include <string>

#include "platform/headless/headless.h"
#include "platform/headless/headless_internal.h"
#include "platform/seam/backend.h"

namespace {

constexpr std::uint64_t START_MS = 1000000;
constexpr int CLOSE_EVENT = -1;
constexpr int FOCUS_LOST_EVENT = -2;
constexpr int FOCUS_GAINED_EVENT = -3;

std::uint64_t g_nowMs = START_MS;
std::set<int> g_heldKeys;
std::deque<int> g_events;  // virtual keys pressed, or one of the events above
std::uint64_t g_pumps = 0;
bool g_recordingKeys = false;
std::string g_keyScript;

void Script(int virtualKey, bool down) {
    if (!g_recordingKeys) return;
    g_keyScript += std::to_string(g_pumps) + " " + std::to_string(virtualKey) + (down ? " 1\n" : " 0\n");
}

}  // namespace

namespace headless {

void PumpEvents(const backend::EventSink& sink) {
    ++g_pumps;
    while (!g_events.empty()) {
        const int event = g_events.front();
        g_events.pop_front();
        if (event == CLOSE_EVENT) {
            sink.closeRequested();
        } else if (event == FOCUS_LOST_EVENT || event == FOCUS_GAINED_EVENT) {
            sink.activeChanged(event == FOCUS_GAINED_EVENT);
        } else {
            sink.keyDown(event);
        }
    }
}

bool KeyHeld(int virtualKey) {
    return g_heldKeys.contains(virtualKey);
}

std::uint64_t NowMs() {
    return g_nowMs;
}

// A loop that waits by idling still sees time pass, one millisecond per idle turn
// whatever the pause asked for, so a test sees every turn a real run could make.
void Idle(std::uint32_t) {
    ++g_nowMs;
}

}  // namespace headless

namespace headless {

void ResetInput() {
    g_nowMs = START_MS;
    g_heldKeys.clear();
    g_events.clear();
    g_pumps = 0;
    g_recordingKeys = false;
    g_keyScript.clear();
}

void Reset() {
    ResetInput();
    ResetDisplay();
    ResetAudio();
}

std::uint64_t Now() {
    return g_nowMs;
}

void SetTime(std::uint64_t ms) {
    g_nowMs = ms;
}

void Advance(std::uint64_t ms) {
    g_nowMs += ms;
}

void PressKey(int virtualKey) {
    g_heldKeys.insert(virtualKey);
    g_events.push_back(virtualKey);
    Script(virtualKey, true);
}

void ReleaseKey(int virtualKey) {
    g_heldKeys.erase(virtualKey);
    Script(virtualKey, false);
}

void RecordKeyScript() {
    g_recordingKeys = true;
}

const std::string& KeyScript() {
    return g_keyScript;
}

void RequestClose() {
    g_events.push_back(CLOSE_EVENT);
}

void SetFocus(bool focused) {
    g_events.push_back(focused ? FOCUS_GAINED_EVENT : FOCUS_LOST_EVENT);
}

}  // namespace headless
