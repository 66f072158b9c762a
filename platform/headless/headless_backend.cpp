// The headless backend's table: its virtual display, input, clock and sound over the
// desktop's host services.
#include "platform/headless/headless.h"

#include "platform/desktop/desktop.h"
#include "platform/headless/headless_internal.h"

namespace headless {

const backend::Backend& Backend() {
    static const backend::Backend table = Table(backend::TurnsHere, desktop::STORAGE, desktop::PACKING);
    return table;
}

}  // namespace headless
