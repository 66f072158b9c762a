// The output limiter: the mix comes back at its full level, a sum beyond full scale is
// held below it without flat tops, and the level returns once the peak has passed; how the
// mix is cut into buffers changes nothing.
#include <gtest/gtest.h>

#include <algorithm>
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
    const std::vector<std::int16_t> sum = Tone(1.5, 4410);
    std::vector<std::int16_t> loud = sum;
    sdl_backend::LimitMix(loud.data(), 4410);
    EXPECT_LT(Peak(loud), 32767) << "nothing reaches full scale";
    EXPECT_GT(Peak(loud), 30000) << "the peaks stay near it";
    int wrapped = 0;
    for (std::size_t i = delay; i < loud.size(); ++i) wrapped += (loud[i] < 0) != (sum[i - delay] < 0);
    EXPECT_EQ(wrapped, 0) << "a sample beyond full scale wrapped round to the other side";
    int flat = 0;
    for (std::size_t i = 2; i < loud.size(); i += 2) flat += loud[i] == loud[i - 2] && std::abs(loud[i]) > 30000;
    EXPECT_LT(flat, 40) << "a held peak keeps its shape: no flat tops";

    // Half a second after the peak the mix plays at its full level again.
    std::vector<std::int16_t> after = Tone(0.5, 22050);
    sdl_backend::LimitMix(after.data(), 22050);
    EXPECT_NEAR(Peak(after, after.size() - 4410), 0.5 * 32767, 2.0);
}

// Buffers of the device's size take the quick way while nothing comes near full scale;
// one frame at a time never does. Both give the same mix, across a peak and back.
TEST(Limiter, GivesTheSameMixWhateverTheBuffersSize) {
    std::vector<std::int16_t> mix = Tone(0.5, 8192);
    const std::vector<std::int16_t> loud = Tone(1.5, 2048);
    mix.insert(mix.end(), loud.begin(), loud.end());
    const std::vector<std::int16_t> calm = Tone(0.3, 16384);
    mix.insert(mix.end(), calm.begin(), calm.end());
    const int frames = static_cast<int>(mix.size() / 2);
    const auto limited = [&](int buffer) {
        // Half a second of silence first, so whatever came before has passed.
        std::vector<std::int16_t> samples(2 * 22050, 0);
        sdl_backend::LimitMix(samples.data(), 22050);
        samples = mix;
        for (int at = 0; at < frames; at += buffer) sdl_backend::LimitMix(samples.data() + 2 * at, std::min(buffer, frames - at));
        // What the delay still holds comes out with the next buffer.
        std::vector<std::int16_t> rest(2 * sdl_backend::LIMITER_DELAY, 0);
        sdl_backend::LimitMix(rest.data(), sdl_backend::LIMITER_DELAY);
        samples.insert(samples.end(), rest.begin(), rest.end());
        return samples;
    };
    const std::vector<std::int16_t> byFrames = limited(1);
    EXPECT_EQ(limited(1024), byFrames);
    EXPECT_EQ(limited(100), byFrames);
}

}  // namespace
