#include "platform/music/synth_setup.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <iterator>

namespace {

constexpr int RATE = 44100;

constexpr const char* SOUNDFONTS[] = {"/usr/share/sounds/sf2/default-GM.sf2",
                                      "/usr/share/sounds/sf2/TimGM6mb.sf2",
                                      "/usr/share/sounds/sf2/FluidR3_GM.sf2"};

void Ignore(int, const char*, void*) {}

}  // namespace

namespace music {

std::vector<std::string> Soundfonts() {
    std::vector<std::string> candidates;
    std::vector<std::string> usable;
    if (const char* named = std::getenv("LANTERN_BLADE_SOUNDFONT"); named != nullptr && *named != '\0') {
        candidates.emplace_back(named);
    }
    candidates.insert(candidates.end(), std::begin(SOUNDFONTS), std::end(SOUNDFONTS));
    for (const std::string& path : candidates) {
        // A FIFO or a device named here would hold the loader forever.
        struct stat info {};
        if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), R_OK) == 0) {
            usable.push_back(path);
        }
    }
    return usable;
}

fluid_synth_t* NewSynth(int channels, fluid_settings_t** settings) {
    for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level) {
        fluid_set_log_function(level, Ignore, nullptr);
    }
    *settings = new_fluid_settings();
    fluid_settings_setnum(*settings, "synth.sample-rate", RATE);
    fluid_settings_setnum(*settings, "synth.gain", 1.0);
    fluid_settings_setint(*settings, "synth.midi-channels", channels);
    fluid_settings_setint(*settings, "synth.reverb.active", 0);
    fluid_settings_setint(*settings, "synth.chorus.active", 0);
    fluid_settings_setint(*settings, "synth.polyphony", 64);
    fluid_settings_setint(*settings, "synth.dynamic-sample-loading", 1);
    fluid_settings_setint(*settings, "player.reset-synth", 0);
    return new_fluid_synth(*settings);
}

int LoadFont(fluid_synth_t* synth, const std::string& path) {
    const int id = fluid_synth_sfload(synth, path.c_str(), 1);
    if (id != FLUID_FAILED) fluid_synth_set_interp_method(synth, -1, FLUID_INTERP_LINEAR);
    return id;
}

bool ReachedEnd(fluid_player_t* player, int* totalTicks) {
    if (*totalTicks <= 0) *totalTicks = fluid_player_get_total_ticks(player);
    return *totalTicks > 0 && fluid_player_get_current_tick(player) >= *totalTicks;
}

}  // namespace music
