#include "platform/policy/volume.h"

#include <algorithm>
#include <cmath>

#include "platform/policy/settings.h"

namespace policy {

float VolumeGain(int percent) {
    constexpr float DB_PER_PERCENT = 0.3f;
    if (percent <= 0) return 0.0f;
    return std::pow(10.0f, static_cast<float>(std::min(percent, 100) - 100) * DB_PER_PERCENT / 20.0f);
}

float MusicGain(int percent, bool muted) {
    return muted ? 0.0f : MUSIC_LEVEL * VolumeGain(percent);
}

float EffectsGain(int percent, bool muted) {
    return muted ? 0.0f : EFFECTS_LEVEL * VolumeGain(percent);
}

Note StepVolume(Settings& settings, int steps, bool muted) {
    StepVolumes(settings, steps);
    const std::string music = std::to_string(settings.musicVolume) + " %";
    const std::string level = settings.musicVolume == settings.effectsVolume
                                  ? music
                                  : "music " + music + ", effects " + std::to_string(settings.effectsVolume) + " %";
    return {"Volume " + level, "volume " + level + (muted ? " (muted)" : "")};
}

Note ToggleMute(bool* muted) {
    *muted = !*muted;
    return *muted ? Note{"Muted", "muted"} : Note{"Sound on", "sound on"};
}

}  // namespace policy
