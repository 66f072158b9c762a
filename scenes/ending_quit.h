// The ending scroll and the quit scene.
#pragma once

void EndingInit();
void EndingFrame();
void QuitInit();
void QuitFrame();
