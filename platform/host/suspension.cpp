#include "platform/host/suspension.h"

namespace {

bool g_suspended = false;
std::uint64_t g_suspendedAt = 0;
std::uint64_t g_leftOut = 0;  // milliseconds spent suspended so far

}  // namespace

void SetSuspended(bool suspended, std::uint64_t nowMs) {
    if (suspended == g_suspended) return;
    g_suspended = suspended;
    if (suspended) {
        g_suspendedAt = nowMs;
    } else {
        g_leftOut += nowMs - g_suspendedAt;
    }
}

std::uint64_t GameClockMs(std::uint64_t nowMs) {
    return (g_suspended ? g_suspendedAt : nowMs) - g_leftOut;
}
