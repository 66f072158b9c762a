// The browser backend's table, which the browser's entry point installs.
#include "platform/web/web_backend.h"

#include "platform/web/web_internal.h"

namespace web_backend {

const backend::Backend& Backend() {
    static const backend::Backend table = Table(RunTurns, STORAGE, PACKING);
    return table;
}

}  // namespace web_backend
