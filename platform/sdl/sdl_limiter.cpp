#include "platform/sdl/sdl_limiter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "platform/music/music.h"

namespace {

// Peaks are held at 0.98 of full scale. The gain ramps down to each peak over the frames
// still ahead of it, and recovers with a time constant of 100 ms: too slow to shape a
// waveform, quick enough that the music does not stay dimmed after a kill.
constexpr float CEILING = 0.98f * 32767.0f;
constexpr float RECOVERY = 1.0f / (0.1f * music::MUSIC_RATE);
constexpr float MAKEUP = 1.0f / sdl_backend::MIX_HEADROOM;

struct Held {
    float left = 0.0f;
    float right = 0.0f;
    float need = 1.0f;  // the gain at which the frame stays below the ceiling
};

std::array<Held, sdl_backend::LIMITER_DELAY> g_held{};  // a ring: g_oldest is due out next
int g_oldest = 0;
int g_peaks = 0;  // held frames that need a gain below 1
float g_gain = 1.0f;

// True when no frame of the buffer would go beyond the ceiling at the full level.
bool BelowCeiling(const std::int16_t* samples, int frames) {
    constexpr int LIMIT = static_cast<int>(CEILING / MAKEUP);
    for (int i = 0; i < 2 * frames; ++i) {
        if (std::abs(int{samples[i]}) > LIMIT) return false;
    }
    return true;
}

// With no peak held or coming and the gain back at 1 the limiter is only its delay: the
// held frames come out, the buffer moves on by the delay at its full level, and its last
// frames are held in turn. The same as the frame by frame way, for a fraction of its cost.
void Delay(std::int16_t* samples, int frames) {
    std::array<Held, sdl_backend::LIMITER_DELAY> last;
    for (int i = 0; i < sdl_backend::LIMITER_DELAY; ++i) {
        const std::int16_t* frame = samples + 2 * (frames - sdl_backend::LIMITER_DELAY + i);
        last[i] = {MAKEUP * frame[0], MAKEUP * frame[1], 1.0f};
    }
    for (int i = 2 * frames - 1; i >= 2 * sdl_backend::LIMITER_DELAY; --i) {
        samples[i] = static_cast<std::int16_t>(std::lrint(MAKEUP * samples[i - 2 * sdl_backend::LIMITER_DELAY]));
    }
    for (int i = 0; i < sdl_backend::LIMITER_DELAY; ++i) {
        const Held& out = g_held[(g_oldest + i) % sdl_backend::LIMITER_DELAY];
        samples[2 * i] = static_cast<std::int16_t>(std::lrint(out.left));
        samples[2 * i + 1] = static_cast<std::int16_t>(std::lrint(out.right));
    }
    g_held = last;
    g_oldest = 0;
}

// The gain that reaches need in the given number of frames, ramping from here.
float Towards(float need, int frames) {
    return need < g_gain ? g_gain + (need - g_gain) / static_cast<float>(frames) : g_gain;
}

}  // namespace

namespace sdl_backend {

void LimitMix(std::int16_t* samples, int frames) {
    if (g_gain == 1.0f && g_peaks == 0 && frames >= LIMITER_DELAY && BelowCeiling(samples, frames)) {
        Delay(samples, frames);
        return;
    }
    for (int i = 0; i < frames; ++i) {
        std::int16_t* frame = samples + 2 * i;
        const float left = MAKEUP * frame[0];
        const float right = MAKEUP * frame[1];
        const float peak = std::max(std::abs(left), std::abs(right));
        const float need = peak > CEILING ? CEILING / peak : 1.0f;

        g_gain = std::min(1.0f, g_gain + (1.0f - g_gain) * RECOVERY + 1e-6f);
        // Without a peak ahead every frame needs 1, which the gain never exceeds: it
        // stays, and the look ahead (most of the cost) can be skipped.
        if (g_peaks > 0 || need < 1.0f) {
            float gain = Towards(need, LIMITER_DELAY + 1);
            for (int ahead = 0; ahead < LIMITER_DELAY; ++ahead) {
                gain = std::min(gain, Towards(g_held[(g_oldest + ahead) % LIMITER_DELAY].need, ahead + 1));
            }
            g_gain = gain;
        }

        Held& out = g_held[g_oldest];
        frame[0] = static_cast<std::int16_t>(std::lrint(out.left * g_gain));
        frame[1] = static_cast<std::int16_t>(std::lrint(out.right * g_gain));
        g_peaks += (need < 1.0f) - (out.need < 1.0f);
        out = {left, right, need};
        g_oldest = (g_oldest + 1) % LIMITER_DELAY;
    }
}

}  // namespace sdl_backend
