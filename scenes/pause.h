// The pause menu over the frozen play picture.
#pragma once

void PauseInit();
void PauseFrame();
