#include "platform/sdl/sdl_levels.h"

#include <cmath>

#include <SDL_mixer.h>

#include "platform/policy/volume.h"
#include "platform/sdl/sdl_limiter.h"

static_assert(sdl_backend::MIXER_FULL == MIX_MAX_VOLUME);

namespace sdl_backend {

MixerLevels MixerLevelsFor(int musicPercent, int effectsPercent, bool muted) {
    const auto steps = [](float gain) { return static_cast<int>(std::lround(gain * MIXER_FULL)); };
    return {
        MIX_HEADROOM * policy::MusicGain(musicPercent, muted),
        steps(MIX_HEADROOM * policy::EFFECTS_LEVEL),
        muted ? 0 : steps(policy::VolumeGain(effectsPercent)),
    };
}

}  // namespace sdl_backend
