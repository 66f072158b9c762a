// The output limiter of the SDL backend. The mixer sums the music and the effects at
// MIX_HEADROOM of their level, so that no sum of them reaches full scale; the limiter,
// run over each finished buffer, restores the level and turns the rare peaks that would
// go beyond full scale down smoothly before they come, instead of letting them clip.
#pragma once

#include <cstdint>

namespace sdl_backend {

constexpr float MIX_HEADROOM = 0.5f;
// The limiter sees this many frames ahead (1.5 ms), so the mix leaves it that much later.
constexpr int LIMITER_DELAY = 64;

// Interleaved stereo frames, in place; what it holds back carries on to the next call.
void LimitMix(std::int16_t* samples, int frames);

}  // namespace sdl_backend
