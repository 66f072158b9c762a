// The browser backend, for the browser's entry point to install.
#pragma once

#include "platform/seam/backend.h"

namespace web_backend {

const backend::Backend& Backend();

}  // namespace web_backend
