// The SDL backend, for the desktop's entry point (and the backend's own tests) to install.
#pragma once

#include "platform/seam/backend.h"

namespace sdl_backend {

const backend::Backend& Backend();

}  // namespace sdl_backend
