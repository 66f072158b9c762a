// Small music files for the tests, built in memory: header-only, so the SDL backend's
// tests (which do not link the headless support library) use them too.
#pragma once

#include <cstdint>
#include <string>

namespace test {

// A delta time as MIDI writes it: seven bits a byte, the high bit on all but the last.
inline std::string MidiDelta(std::uint32_t ticks) {
    std::string bytes(1, static_cast<char>(ticks & 0x7F));
    for (ticks >>= 7; ticks > 0; ticks >>= 7) bytes.insert(bytes.begin(), static_cast<char>(0x80 | (ticks & 0x7F)));
    return bytes;
}

// A format-0 file with one track of these events, `division` ticks a beat.
inline std::string MidiFile(int division, const std::string& events) {
    std::string file("MThd\0\0\0\6\0\0\0\1", 12);
    file += static_cast<char>(division >> 8);
    file += static_cast<char>(division & 0xFF);
    file += "MTrk";
    for (int shift = 24; shift >= 0; shift -= 8) file += static_cast<char>((events.size() >> shift) & 0xFF);
    return file + events;
}

// The shortest music piece the engine plays: one empty track.
inline const std::string SILENT_MIDI = MidiFile(96, std::string("\0\xFF\x2F\0", 4));

// One organ note at 120 beats a minute (480 ticks a beat), struck at the start and
// released at `offTick`, the track ending at `endTick`.
inline std::string OrganNote(std::uint32_t offTick, std::uint32_t endTick) {
    return MidiFile(480, std::string("\0\xFF\x51\x03\x07\xA1\x20", 7)  // 120 beats a minute
                             + std::string("\0\xC0\x10", 3)            // organ
                             + std::string("\0\x90\x3C\x64", 4)        // note on
                             + MidiDelta(offTick) + std::string("\x80\x3C\0", 3) +
                             MidiDelta(endTick - offTick) + std::string("\xFF\x2F\0", 3));
}

}  // namespace test
