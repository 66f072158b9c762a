// The scene state machine's current scene and the key latch the menus and play share.
#pragma once

#include "platform/win32.h"

constexpr int SCENE_OPENING_INIT = -2;
constexpr int SCENE_OPENING = -1;
constexpr int SCENE_TITLE_INIT = 0;
constexpr int SCENE_TITLE = 1;
constexpr int SCENE_STAGE_INIT = 2;
constexpr int SCENE_PLAY = 3;
constexpr int SCENE_RANKING_INIT = 4;
constexpr int SCENE_RANKING = 5;
constexpr int SCENE_QUIT_INIT = 6;
constexpr int SCENE_QUIT = 7;
constexpr int SCENE_PAUSE_INIT = 8;
constexpr int SCENE_PAUSE = 9;
constexpr int SCENE_CLEAR_INIT = 10;
constexpr int SCENE_CLEAR = 11;
constexpr int SCENE_RESULT_INIT = 12;
constexpr int SCENE_RESULT = 13;
constexpr int SCENE_ENDING_INIT = 14;
constexpr int SCENE_ENDING = 15;

extern int g_scene;
// Non-zero while a key that has acted (a menu move or pick, a swing, a scene key) is
// still held, so that holding it does not act again.
extern int g_keyLatch;

// A key counts as down while bit 15 of its polled state is set.
inline bool IsKeyDown(int virtualKey) { return (GetAsyncKeyState(virtualKey) & 0x8000) != 0; }
