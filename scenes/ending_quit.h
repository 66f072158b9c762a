// The ending scroll and the quit scene.
#pragma once

// Rows of the ending picture shown while it rises, the picture row at the top of the
// screen while it scrolls, and rows of its end that have left at the top.
extern int g_endReveal;
extern int g_endScroll;
extern int g_endExit;

void EndingInit();
void EndingFrame();
void QuitInit();
void QuitFrame();
