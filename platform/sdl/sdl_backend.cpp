// The SDL backend's table: its own display, input, clock and sound over the desktop's
// host services.
#include "platform/sdl/sdl_backend.h"

#include "platform/desktop/desktop.h"
#include "platform/sdl/sdl_internal.h"

namespace sdl_backend {

const backend::Backend& Backend() {
    static const backend::Backend table = Table(backend::TurnsHere, desktop::STORAGE, desktop::PACKING);
    return table;
}

}  // namespace sdl_backend
