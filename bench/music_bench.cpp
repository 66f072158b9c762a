// The cost of the music: one second of the battle piece rendered by the game's engine
// (synthesized in its first pass, read back from its take on disk once it loops), and,
// for comparison, by a FluidSynth synthesizer as SDL_mixer sets one up (its default
// settings: reverb, chorus, fourth-order interpolation); and the output limiter over a
// second of the mix. CPU time per iteration is the share of one core it takes while the
// music plays. Uses the system's soundfont.
#include <benchmark/benchmark.h>
#include <fluidsynth.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "platform/music/music.h"
#include "platform/music/take_filler.h"
#include "platform/sdl/sdl_limiter.h"

namespace {

constexpr int RATE = 44100;
constexpr int BUFFER_FRAMES = 512;
const char* const PIECE = LB_SOURCE_DIR "/data/BATTLE03.mid";

// Seconds of the piece rendered in the mixer's buffers.
void RenderSeconds(std::vector<std::int16_t>& buffer, int seconds) {
    for (int i = 0; i < seconds * RATE / BUFFER_FRAMES; ++i) music::RenderMusic(buffer.data(), BUFFER_FRAMES);
}

// The engine's second 10 s into the piece, where all its parts play: in its first pass,
// or (looped) in its second, after the first has played to its end.
void EngineSecond(benchmark::State& state, bool looped) {
    const std::filesystem::path takes = std::filesystem::temp_directory_path() / "lb-music-bench-takes";
    if (looped) music::KeepTakesIn(takes);
    if (!music::StartMusic() || !music::LoadMusic(0, PIECE)) {
        state.SkipWithError("no soundfont");
        return;
    }
    music::PlayMusic(0);
    std::vector<std::int16_t> buffer(BUFFER_FRAMES * 2);
    while (looped && music::RenderMusic(buffer.data(), BUFFER_FRAMES) != 0) {
    }
    if (looped) {
        music::FinishTakes();
        music::PlayMusic(0);
    }
    RenderSeconds(buffer, 10);
    for (auto _ : state) {
        RenderSeconds(buffer, 1);
        benchmark::DoNotOptimize(buffer.data());
    }
    music::ShutDownMusic();
    std::filesystem::remove_all(takes);
}

void BM_MusicEngineSecond(benchmark::State& state) {
    EngineSecond(state, false);
}
BENCHMARK(BM_MusicEngineSecond)->Unit(benchmark::kMillisecond);

// Read back from the take.
void BM_MusicEngineLoopedSecond(benchmark::State& state) {
    EngineSecond(state, true);
}
BENCHMARK(BM_MusicEngineLoopedSecond)->Unit(benchmark::kMillisecond);

void BM_FluidSynthDefaultsSecond(benchmark::State& state) {
    fluid_settings_t* settings = new_fluid_settings();
    fluid_settings_setnum(settings, "synth.sample-rate", RATE);
    fluid_synth_t* synth = new_fluid_synth(settings);
    const char* font = std::getenv("LANTERN_BLADE_SOUNDFONT");
    if (fluid_synth_sfload(synth, font != nullptr ? font : "/usr/share/sounds/sf2/TimGM6mb.sf2", 1) ==
        FLUID_FAILED) {
        state.SkipWithError("no soundfont");
        return;
    }
    fluid_player_t* player = new_fluid_player(synth);
    fluid_player_add(player, PIECE);
    fluid_player_play(player);
    std::vector<std::int16_t> buffer(BUFFER_FRAMES * 2);
    auto render = [&] { fluid_synth_write_s16(synth, BUFFER_FRAMES, buffer.data(), 0, 2, buffer.data(), 1, 2); };
    for (int i = 0; i < 10 * RATE / BUFFER_FRAMES; ++i) render();
    for (auto _ : state) {
        for (int i = 0; i < RATE / BUFFER_FRAMES; ++i) render();
        benchmark::DoNotOptimize(buffer.data());
    }
    delete_fluid_player(player);
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
}
BENCHMARK(BM_FluidSynthDefaultsSecond)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// A second of a quiet mix (no peak to hold down) and of one that peaks every 10 ms.
void LimiterSecond(benchmark::State& state, int peakEvery) {
    std::vector<std::int16_t> mix(BUFFER_FRAMES * 2);
    for (std::size_t i = 0; i < mix.size(); ++i) mix[i] = static_cast<std::int16_t>((i * 37) % 8000);
    for (std::size_t i = 0; peakEvery > 0 && i < mix.size(); i += peakEvery * 2) mix[i] = 30000;
    std::vector<std::int16_t> buffer(mix.size());
    for (auto _ : state) {
        for (int i = 0; i < RATE / BUFFER_FRAMES; ++i) {
            buffer = mix;
            sdl_backend::LimitMix(buffer.data(), BUFFER_FRAMES);
        }
        benchmark::DoNotOptimize(buffer.data());
    }
}

void BM_LimiterQuietSecond(benchmark::State& state) {
    LimiterSecond(state, 0);
}
BENCHMARK(BM_LimiterQuietSecond)->Unit(benchmark::kMicrosecond);

void BM_LimiterPeakingSecond(benchmark::State& state) {
    LimiterSecond(state, 441);
}
BENCHMARK(BM_LimiterPeakingSecond)->Unit(benchmark::kMicrosecond);

}  // namespace
