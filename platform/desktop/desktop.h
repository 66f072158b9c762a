// The desktop's host services, for the desktop's backends (SDL and headless) to install:
// game files kept with flock and fsync, packing with zlib.
#pragma once

#include "platform/host/packing.h"
#include "platform/host/storage.h"

namespace desktop {

extern const Storage STORAGE;
extern const Packing PACKING;

}  // namespace desktop
