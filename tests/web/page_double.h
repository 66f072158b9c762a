// A page double for the browser backend built natively: what the page's scripts would
// have been asked (kept for the tests to read) and what a player or the browser does to
// the page (handed to the backend's own handlers).
#pragma once

#include <emscripten/html5.h>

#include <cstdint>
#include <string>
#include <vector>

namespace page {

struct Page {
    // Asked of the page.
    std::vector<std::string> calls;  // every call but the frames: "name arguments"
    std::vector<std::uint32_t> canvas = std::vector<std::uint32_t>(640 * 480);
    int presentedRect[4] = {};       // left, top, right, bottom of the last present
    int presents = 0;
    std::vector<std::string> recordedFrames;
    // The browser's answers.
    int canvasKind = 1;       // lbOpenCanvas: 0 none, 1 a 2D canvas, 2 WebGL
    int lockAnswer = 7;       // lbLockFile: an id, 0 held by another tab, -1 no storage
    double now = 0;
    bool documentFocus = true;
    bool hidden = false;
    std::vector<EmscriptenGamepadEvent> pads;
    int exitCode = -1;        // emscripten_force_exit
    // The backend's handlers.
    em_key_callback_func keyDown = nullptr, keyUp = nullptr;
    em_focus_callback_func focus = nullptr, blur = nullptr;
    em_visibilitychange_callback_func visibility = nullptr;
};

Page& Get();
// A key event as the browser gives it; true if the backend took it (the browser's own
// action withheld).
bool Key(bool down, const std::string& key, const std::string& code, bool alt = false, bool ctrl = false,
         bool repeat = false);
void Focus(bool focused);
void Hide(bool hidden);
// The calls asked of the page since the last look, and forgotten.
std::vector<std::string> TakeCalls();

}  // namespace page
