// Reads a standard MIDI file's structure without playing it: whether every chunk and
// event is well formed, and which instruments it selects, so the synthesizer can have
// their samples in memory before the piece starts.
#pragma once

#include <cstdint>
#include <vector>

namespace music {

struct MidiPreset {
    int bank;  // 128 for the percussion channel's kits
    int program;
    bool operator==(const MidiPreset&) const = default;
};

// The instruments the file selects (each once, the General MIDI defaults included), or
// false when the file is not a well-formed standard MIDI file.
bool ScanMidi(const std::vector<std::uint8_t>& bytes, std::vector<MidiPreset>* presets);

}  // namespace music
