// The output limiter: the mix comes back at its full level, a sum beyond full scale is
// held below it without flat tops, and the level returns once the peak has passed.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/sdl/sdl_limiter.h"

namespace {

// A 220 Hz tone, the same on both sides, as the mixer hands it over: at MIX_HEADROOM of
// the level meant (amplitude as a fraction of full scale).
std::vector<std::int16_t> Tone(double amplitude, int frames) {
    std::vector<std::int16_t> samples(2 * static_cast<std::size_t>(frames));
    for (int i = 0; i < frames; ++i) {
        const double value = sdl_backend::MIX_HEADROOM * amplitude * 32767.0 * std::sin(2 * M_PI * 220 * i / 44100.0);
        samples[2 * i] = samples[2 * i + 1] = static_cast<std::int16_t>(std::lrint(value));
    }
    return samples;
}

int Peak(const std::vector<std::int16_t>& samples, std::size_t from = 0) {
    int peak = 0;
    for (std::size_t i = from; i < samples.size(); ++i) peak = std::max(peak, std::abs(int{samples[i]}));
    return peak;
}

TEST(Limiter, RestoresTheLevelAndHoldsWhatWouldClip) {
    std::vector<std::int16_t> quiet = Tone(0.5, 4410);
    const std::vector<std::int16_t> before = quiet;
    sdl_backend::LimitMix(quiet.data(), 4410);
    const std::size_t delay = 2 * sdl_backend::LIMITER_DELAY;
    for (std::size_t i = delay; i < quiet.size(); ++i) {
        ASSERT_NEAR(quiet[i], before[i - delay] / sdl_backend::MIX_HEADROOM, 1.0) << "sample " << i;
    }

    // A swing and a kill over loud music: half as much again as full scale.
    std::vector<std::int16_t> loud = Tone(1.5, 4410);
    sdl_backend::LimitMix(loud.data(), 4410);
    EXPECT_LT(Peak(loud), 32767) << "nothing reaches full scale";
    EXPECT_GT(Peak(loud), 30000) << "the peaks stay near it";
    int flat = 0;
    for (std::size_t i = 2; i < loud.size(); i += 2) flat += loud[i] == loud[i - 2] && std::abs(loud[i]) > 30000;
    EXPECT_LT(flat, 40) << "a held peak keeps its shape: no flat tops";

    // Half a second after the peak the mix plays at its full level again.
    std::vector<std::int16_t> after = Tone(0.5, 22050);
    sdl_backend::LimitMix(after.data(), 22050);
    EXPECT_NEAR(Peak(after, after.size() - 4410), 0.5 * 32767, 2.0);
}

}  // namespace
