// The music engine's MIDI scanner: the input is a piece file, read as the engine reads each
// piece it opens. Whatever it accepts, it lists the two default instruments first and only
// instruments a synthesizer can select; the piece from a tick on (the first byte picks it)
// is accepted too and selects the same.
#include <cstdlib>
#include <vector>

#include "platform/music/midi_scan.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<music::MidiPreset> presets;
    const std::vector<std::uint8_t> bytes(data, data + size);
    const bool accepted = music::ScanMidi(bytes, &presets);
    if (presets.size() < 2 || presets[0] != music::MidiPreset{0, 0} || presets[1] != music::MidiPreset{128, 0}) {
        std::abort();
    }
    for (const music::MidiPreset& preset : presets) {
        if (preset.bank < 0 || preset.bank > 128 || preset.program < 0 || preset.program > 127) std::abort();
    }
    std::vector<music::MidiPreset> rest;
    const std::uint32_t tick = size > 0 ? data[0] * 40u : 0u;
    if (accepted && (!music::ScanMidi(music::StartingAt(bytes, tick), &rest) || rest != presets)) std::abort();
    return 0;
}
