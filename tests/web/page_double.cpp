// The page double's side of the scripts the browser backend calls (library_*.js) and of
// Emscripten's runtime: calls are written down, answers come from the test's page.
#include "tests/web/page_double.h"

#include "platform/overlay/overlay.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace page {

Page& Get() {
    static Page page;
    return page;
}

namespace {

void Call(const std::string& text) {
    Get().calls.push_back(text);
}

std::vector<std::uint8_t> g_packed;

}  // namespace

bool Key(bool down, const std::string& key, const std::string& code, bool alt, bool ctrl, bool repeat) {
    EmscriptenKeyboardEvent event{};
    std::strncpy(event.key, key.c_str(), sizeof event.key - 1);
    std::strncpy(event.code, code.c_str(), sizeof event.code - 1);
    event.altKey = alt;
    event.ctrlKey = ctrl;
    event.repeat = repeat;
    const em_key_callback_func handler = down ? Get().keyDown : Get().keyUp;
    return handler(down ? EMSCRIPTEN_EVENT_KEYDOWN : EMSCRIPTEN_EVENT_KEYUP, &event, nullptr) != EM_FALSE;
}

void Focus(bool focused) {
    const EmscriptenFocusEvent event{};
    if (focused) {
        Get().focus(EMSCRIPTEN_EVENT_FOCUS, &event, nullptr);
    } else {
        Get().blur(EMSCRIPTEN_EVENT_BLUR, &event, nullptr);
    }
}

void Hide(bool hidden) {
    Get().hidden = hidden;
    const EmscriptenVisibilityChangeEvent event{hidden, hidden ? 0 : 1};
    Get().visibility(EMSCRIPTEN_EVENT_VISIBILITYCHANGE, &event, nullptr);
}

std::vector<std::string> TakeCalls() {
    return std::exchange(Get().calls, {});
}

}  // namespace page

using page::Get;

extern "C" {

int lbDoubleDocumentHasFocus() { return Get().documentFocus ? 1 : 0; }
double emscripten_get_now() { return Get().now; }
void emscripten_force_exit(int status) { Get().exitCode = status; }

EMSCRIPTEN_RESULT emscripten_set_keydown_callback(const char*, void*, EM_BOOL, em_key_callback_func f) {
    Get().keyDown = f;
    return EMSCRIPTEN_RESULT_SUCCESS;
}
EMSCRIPTEN_RESULT emscripten_set_keyup_callback(const char*, void*, EM_BOOL, em_key_callback_func f) {
    Get().keyUp = f;
    return EMSCRIPTEN_RESULT_SUCCESS;
}
EMSCRIPTEN_RESULT emscripten_set_focus_callback(const char*, void*, EM_BOOL, em_focus_callback_func f) {
    Get().focus = f;
    return EMSCRIPTEN_RESULT_SUCCESS;
}
EMSCRIPTEN_RESULT emscripten_set_blur_callback(const char*, void*, EM_BOOL, em_focus_callback_func f) {
    Get().blur = f;
    return EMSCRIPTEN_RESULT_SUCCESS;
}
EMSCRIPTEN_RESULT emscripten_set_visibilitychange_callback(void*, EM_BOOL, em_visibilitychange_callback_func f) {
    Get().visibility = f;
    return EMSCRIPTEN_RESULT_SUCCESS;
}
EMSCRIPTEN_RESULT emscripten_get_visibility_status(EmscriptenVisibilityChangeEvent* status) {
    status->hidden = Get().hidden;
    return EMSCRIPTEN_RESULT_SUCCESS;
}
EMSCRIPTEN_RESULT emscripten_sample_gamepad_data() {
    return Get().pads.empty() ? EMSCRIPTEN_RESULT_FAILED : EMSCRIPTEN_RESULT_SUCCESS;
}
int emscripten_get_num_gamepads() { return static_cast<int>(Get().pads.size()); }
EMSCRIPTEN_RESULT emscripten_get_gamepad_status(int index, EmscriptenGamepadEvent* status) {
    if (index < 0 || static_cast<std::size_t>(index) >= Get().pads.size()) return EMSCRIPTEN_RESULT_FAILED;
    *status = Get().pads[static_cast<std::size_t>(index)];
    return EMSCRIPTEN_RESULT_SUCCESS;
}

// library_page.js
int lbOpenCanvas(int width, int height) {
    page::Call("open " + std::to_string(width) + "x" + std::to_string(height));
    return Get().canvasKind;
}
void lbPresent(const std::uint32_t* rgba, int left, int top, int right, int bottom) {
    std::copy(rgba, rgba + 640 * 480, Get().canvas.begin());
    const int rect[4] = {left, top, right, bottom};
    std::copy(rect, rect + 4, Get().presentedRect);
    ++Get().presents;
}
void lbPresentIndexed(const std::uint8_t*, const std::uint32_t*, int top, int bottom, const overlay::Rect*,
                      int count) {
    page::Call("indexed rows " + std::to_string(top) + " to " + std::to_string(bottom) + ", " +
               std::to_string(count) + " overlay rectangles");
}
void lbRecordFrame(const char* line) { Get().recordedFrames.emplace_back(line); }
void lbSendDemo(const char* path) { page::Call(std::string("send ") + path); }
void lbRunTurns() { page::Call("run turns"); }
void lbNextBatch(int ms) { page::Call("next batch " + std::to_string(ms)); }
void lbShowNote(const char* text) { page::Call(std::string("note ") + text); }
void lbToggleFullscreen() { page::Call("fullscreen"); }

// library_audio.js
int lbAudioOpen(const char* path, int music) {
    static int opened = 0;
    page::Call(std::string("open ") + path + (music != 0 ? " as music" : ""));
    return opened++;
}
void lbAudioPlay(int id) { page::Call("play " + std::to_string(id)); }
void lbAudioStop(int id) { page::Call("stop " + std::to_string(id)); }
void lbAudioClose(int id) { page::Call("close " + std::to_string(id)); }
void lbAudioLevels(double music, double effects) {
    page::Call("levels " + std::to_string(music) + " " + std::to_string(effects));
}

// library_storage.js
int lbLockFile(const char* path) {
    page::Call(std::string("lock ") + path);
    return Get().lockAnswer;
}
void lbUnlockFile(int id) { page::Call("unlock " + std::to_string(id)); }
void lbKeepFile(const char* path) { page::Call(std::string("keep ") + path); }

// The browser's compression streams: "deflate" is the zlib format.
int lbPackThrough(int unpack, const std::uint8_t* data, int length, int limit) {
    page::g_packed.assign(static_cast<std::size_t>(limit) + 1, 0);
    uLongf size = static_cast<uLongf>(page::g_packed.size());
    const int result = unpack != 0 ? uncompress(page::g_packed.data(), &size, data, static_cast<uLong>(length))
                                   : compress(page::g_packed.data(), &size, data, static_cast<uLong>(length));
    if (result != Z_OK || size > static_cast<uLongf>(limit)) return -1;
    page::g_packed.resize(size);
    return static_cast<int>(size);
}
void lbTakePacked(std::uint8_t* out) { std::copy(page::g_packed.begin(), page::g_packed.end(), out); }

}  // extern "C"
