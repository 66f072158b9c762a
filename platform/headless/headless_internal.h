// The parts of the headless backend, each returned to its start state by headless::Reset.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/seam/backend.h"

namespace headless {

#include "platform/seam/backend_modules.h"

void ResetInput();
void ResetDisplay();
void ResetAudio();

}  // namespace headless
