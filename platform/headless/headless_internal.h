// The parts of the headless backend, each returned to its start state by headless::Reset.
#pragma once

namespace headless {

void ResetInput();
void ResetDisplay();
void ResetAudio();

}  // namespace headless
