// The part of Emscripten's <emscripten.h> the browser backend uses, for building that
// backend natively against the page double (tests/web/page_double.cpp): functions whose
// body is JavaScript become plain declarations the double defines.
#pragma once

#define EMSCRIPTEN_KEEPALIVE
#define EM_JS(ret, name, params, ...) extern "C" ret name params
#define EM_ASYNC_JS(ret, name, params, ...) extern "C" ret name params
// The backend's only inline script asks whether the document has the focus.
#define EM_ASM_INT(...) lbDoubleDocumentHasFocus()

extern "C" {
int lbDoubleDocumentHasFocus();
double emscripten_get_now();
void emscripten_force_exit(int status);
}
