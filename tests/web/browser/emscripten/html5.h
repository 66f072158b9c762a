// The part of Emscripten's <emscripten/html5.h> the browser backend uses: the events the
// page double hands it (fields as Emscripten lays them out) and the calls that register
// their handlers.
#pragma once

#include "emscripten.h"

typedef int EM_BOOL;
#define EM_TRUE 1
#define EM_FALSE 0
typedef int EMSCRIPTEN_RESULT;
#define EMSCRIPTEN_RESULT_SUCCESS 0
#define EMSCRIPTEN_RESULT_FAILED (-6)
#define EMSCRIPTEN_EVENT_TARGET_DOCUMENT ((const char*)1)
#define EMSCRIPTEN_EVENT_TARGET_WINDOW ((const char*)2)
#define EMSCRIPTEN_EVENT_KEYDOWN 2
#define EMSCRIPTEN_EVENT_KEYUP 3
#define EMSCRIPTEN_EVENT_BLUR 12
#define EMSCRIPTEN_EVENT_FOCUS 13
#define EMSCRIPTEN_EVENT_VISIBILITYCHANGE 21

struct EmscriptenKeyboardEvent {
    double timestamp;
    unsigned long location;
    EM_BOOL ctrlKey, shiftKey, altKey, metaKey, repeat;
    unsigned long charCode, keyCode, which;
    char key[32];
    char code[32];
    char charValue[32];
    char locale[32];
};

struct EmscriptenFocusEvent {
    char nodeName[128];
    char id[128];
};

struct EmscriptenVisibilityChangeEvent {
    EM_BOOL hidden;
    int visibilityState;
};

struct EmscriptenGamepadEvent {
    double timestamp;
    int numAxes, numButtons;
    double axis[64];
    double analogButton[64];
    EM_BOOL digitalButton[64];
    EM_BOOL connected;
    long index;
    char id[64];
    char mapping[64];
};

typedef EM_BOOL (*em_key_callback_func)(int, const EmscriptenKeyboardEvent*, void*);
typedef EM_BOOL (*em_focus_callback_func)(int, const EmscriptenFocusEvent*, void*);
typedef EM_BOOL (*em_visibilitychange_callback_func)(int, const EmscriptenVisibilityChangeEvent*, void*);

extern "C" {
EMSCRIPTEN_RESULT emscripten_set_keydown_callback(const char*, void*, EM_BOOL, em_key_callback_func);
EMSCRIPTEN_RESULT emscripten_set_keyup_callback(const char*, void*, EM_BOOL, em_key_callback_func);
EMSCRIPTEN_RESULT emscripten_set_focus_callback(const char*, void*, EM_BOOL, em_focus_callback_func);
EMSCRIPTEN_RESULT emscripten_set_blur_callback(const char*, void*, EM_BOOL, em_focus_callback_func);
EMSCRIPTEN_RESULT emscripten_set_visibilitychange_callback(void*, EM_BOOL, em_visibilitychange_callback_func);
EMSCRIPTEN_RESULT emscripten_get_visibility_status(EmscriptenVisibilityChangeEvent*);
EMSCRIPTEN_RESULT emscripten_sample_gamepad_data();
int emscripten_get_num_gamepads();
EMSCRIPTEN_RESULT emscripten_get_gamepad_status(int index, EmscriptenGamepadEvent*);
}
