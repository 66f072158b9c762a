#include "platform/suspension.h"

#include "platform/backend.h"

namespace {

bool g_suspended = false;
std::uint64_t g_suspendedAt = 0;
std::uint64_t g_leftOut = 0;  // milliseconds spent suspended so far

}  // namespace

void SetSuspended(bool suspended) {
    if (suspended == g_suspended) return;
    g_suspended = suspended;
    if (suspended) {
        g_suspendedAt = backend::NowMs();
    } else {
        g_leftOut += backend::NowMs() - g_suspendedAt;
    }
}

std::uint64_t GameClockMs() {
    return (g_suspended ? g_suspendedAt : backend::NowMs()) - g_leftOut;
}
