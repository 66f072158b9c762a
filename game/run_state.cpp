#include "game/run_state.h"

int g_killCount;
std::uint32_t g_stageStart;
std::uint32_t g_frameTime;
std::uint32_t g_clearTime;
std::uint32_t g_pauseStart;
std::uint32_t g_pauseEnd;
std::uint32_t g_pauseTotal;

void ResetRun(std::uint32_t now) {
    g_killCount = 0;
    g_pauseStart = 0;
    g_pauseEnd = 0;
    g_pauseTotal = 0;
    g_stageStart = now;
    g_frameTime = now;
}

std::uint32_t PlayTime() {
    return g_frameTime - g_stageStart - g_pauseTotal;
}
