// The window procedure: sound devices opened at creation, the Escape teardown.
#pragma once

#include "platform/win32.h"

LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
