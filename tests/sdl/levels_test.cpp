// A volume gives the same loudness on the desktop and in the browser. The browser hands
// the policy's gains to Web Audio as they are (its mix's headroom and the limit's slope
// cancel out, as the page's measured level shows); the desktop's mixer takes them in its
// own units at the limiter's headroom, which the limiter makes up.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/policy/volume.h"
#include "platform/sdl/sdl_levels.h"
#include "platform/sdl/sdl_limiter.h"

namespace {

double Decibels(double gain) {
    return 20.0 * std::log10(gain);
}

TEST(Levels, EveryVolumePlaysAsLoudOnTheDesktopAsInTheBrowser) {
    for (const bool muted : {false, true}) {
        for (int music = 0; music <= 100; music += 10) {
            for (int effects = 0; effects <= 100; effects += 10) {
                const sdl_backend::MixerLevels levels = sdl_backend::MixerLevelsFor(music, effects, muted);
                const double desktopMusic = levels.music / sdl_backend::MIX_HEADROOM;
                const double desktopEffects = static_cast<double>(levels.channelVolume) * levels.masterVolume /
                                              (sdl_backend::MIXER_FULL * sdl_backend::MIXER_FULL) /
                                              sdl_backend::MIX_HEADROOM;
                const double browserMusic = policy::MusicGain(music, muted);
                const double browserEffects = policy::EffectsGain(effects, muted);
                SCOPED_TRACE(testing::Message() << "music " << music << " %, effects " << effects << " %"
                                                << (muted ? ", muted" : ""));
                EXPECT_FLOAT_EQ(desktopMusic, browserMusic);
                if (browserEffects == 0) {
                    EXPECT_EQ(desktopEffects, 0.0);
                } else {
                    // The mixer's volumes go in 128 steps: at 10 % that is within half a dB.
                    EXPECT_NEAR(Decibels(desktopEffects), Decibels(browserEffects), 0.5);
                }
            }
        }
    }
}

}  // namespace
