// Reads a standard MIDI file's structure without playing it: whether every chunk and
// event is well formed, which instruments it selects, so the synthesizer can have their
// samples in memory before the piece starts, and its tempo map, to start it midway.
#pragma once

#include <cstdint>
#include <vector>

namespace music {

struct MidiPreset {
    int bank;  // 128 for the percussion channel's kits
    int program;
    bool operator==(const MidiPreset&) const = default;
};

// How the file's ticks map to time: ticks a beat, and the tempo changes in the order of
// their ticks (FluidSynth plays SMPTE timing not at all).
struct MidiTiming {
    struct Tempo {
        std::uint32_t tick;
        std::uint32_t microsecondsPerBeat;
    };
    int division = 0;
    std::vector<Tempo> tempos;
};

// The instruments the file selects (each once, the General MIDI defaults included) and,
// when asked for, its timing; false when the file is not a well-formed standard MIDI file.
bool ScanMidi(const std::vector<std::uint8_t>& bytes, std::vector<MidiPreset>* presets,
              MidiTiming* timing = nullptr);
// The tick the piece has reached `seconds` after its start.
int TickAt(const MidiTiming& timing, double seconds);
// The piece from `tick` on, as a file of its own: what comes before it, notes aside, is
// done at its start (instruments, controllers, tempo), the rest follows as it did. (The
// player's own seek writes past its tables on a synthesizer of more than 16 channels.)
// The bytes as they are when they are not a well-formed file.
std::vector<std::uint8_t> StartingAt(const std::vector<std::uint8_t>& bytes, std::uint32_t tick);

}  // namespace music
