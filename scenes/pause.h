// The pause menu over the frozen play picture.
#pragma once

#include <cstdint>

// The selected item, 0..3; 0 whenever the menu opens.
extern std::int8_t g_pauseSel;
// 1 while an Up or Down press has been acted on and not yet released.
extern int g_pauseKeyLatch;
// The scene each item leads to: resume, retry, title, quit.
extern const int PAUSE_TARGETS[4];

void PauseInit();
void PauseFrame();
