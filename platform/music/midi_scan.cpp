#include "platform/music/midi_scan.h"

#include <algorithm>
#include <cstddef>

namespace {

constexpr int PERCUSSION_CHANNEL = 9;
constexpr int PERCUSSION_BANK = 128;

class Reader {
public:
    Reader(const std::vector<std::uint8_t>& bytes, std::size_t at, std::size_t end)
        : bytes_(bytes), at_(at), end_(end) {}

    bool Done() const { return at_ >= end_; }
    std::size_t At() const { return at_; }
    bool Byte(std::uint8_t* value) {
        if (at_ >= end_) return false;
        *value = bytes_[at_++];
        return true;
    }
    bool Peek(std::uint8_t* value) const {
        if (at_ >= end_) return false;
        *value = bytes_[at_];
        return true;
    }
    bool Skip(std::uint32_t count) {
        if (count > end_ - at_) return false;
        at_ += count;
        return true;
    }
    // A variable-length number of at most four bytes.
    bool Number(std::uint32_t* value) {
        *value = 0;
        for (int i = 0; i < 4; ++i) {
            std::uint8_t byte;
            if (!Byte(&byte)) return false;
            *value = (*value << 7) | (byte & 0x7F);
            if ((byte & 0x80) == 0) return true;
        }
        return false;
    }
    bool Big(int size, std::uint32_t* value) {
        *value = 0;
        for (int i = 0; i < size; ++i) {
            std::uint8_t byte;
            if (!Byte(&byte)) return false;
            *value = (*value << 8) | byte;
        }
        return true;
    }

private:
    const std::vector<std::uint8_t>& bytes_;
    std::size_t at_;
    std::size_t end_;
};

void Add(std::vector<music::MidiPreset>* presets, music::MidiPreset preset) {
    if (std::find(presets->begin(), presets->end(), preset) == presets->end()) {
        presets->push_back(preset);
    }
}

constexpr std::uint8_t META_TEMPO = 0x51;
constexpr std::uint8_t META_END = 0x2F;
constexpr std::uint32_t DEFAULT_TEMPO = 500000;  // microseconds a beat: 120 beats a minute
constexpr std::uint32_t TRACK_TAG = 0x4D54726B;  // "MTrk"
constexpr std::uint32_t MOST_DELTA = 0x0FFFFFFF;  // four bytes of seven bits

// One event of a track: its tick, its status (a running status made explicit), and where
// the bytes after its status byte lie in the file.
struct Event {
    std::uint32_t tick;
    std::uint8_t status;
    std::size_t from;
    std::size_t to;
};

// Calls `visit` with each event of the track in turn. False when the track is not well
// formed or does not end with its end-of-track event.
template <typename Visit>
bool WalkTrack(Reader track, Visit visit) {
    std::uint8_t running = 0;
    std::uint32_t tick = 0;
    while (!track.Done()) {
        std::uint32_t delta;
        std::uint8_t status;
        if (!track.Number(&delta) || !track.Peek(&status)) return false;
        tick += delta;
        if (status >= 0x80) {
            track.Byte(&status);
        } else if (running == 0) {
            return false;
        } else {
            status = running;
        }
        const std::size_t from = track.At();
        std::uint32_t length;
        if (status == 0xFF) {
            std::uint8_t type;
            if (!track.Byte(&type) || !track.Number(&length) || !track.Skip(length)) return false;
            visit(Event{tick, status, from, track.At()});
            if (type == META_END) return track.Done();
            continue;
        }
        if (status == 0xF0 || status == 0xF7) {
            if (!track.Number(&length) || !track.Skip(length)) return false;
            visit(Event{tick, status, from, track.At()});
            continue;
        }
        if (status >= 0xF0) return false;
        running = status;
        const int kind = status & 0xF0;
        const int count = kind == 0xC0 || kind == 0xD0 ? 1 : 2;
        for (int i = 0; i < count; ++i) {
            std::uint8_t data;
            if (!track.Byte(&data) || data >= 0x80) return false;
        }
        visit(Event{tick, status, from, track.At()});
    }
    return false;  // no end-of-track event
}

bool ScanTrack(const std::vector<std::uint8_t>& bytes, Reader track, std::vector<music::MidiPreset>* presets,
               music::MidiTiming* timing) {
    int bank[16] = {};
    return WalkTrack(track, [&](const Event& event) {
        const std::uint8_t* data = bytes.data() + event.from;
        const int kind = event.status & 0xF0;
        const int channel = event.status & 0x0F;
        if (event.status == 0xFF && data[0] == META_TEMPO && data[1] == 3) {
            timing->tempos.push_back({event.tick, static_cast<std::uint32_t>(data[2] << 16 | data[3] << 8 | data[4])});
        } else if (event.status < 0xF0 && kind == 0xB0 && data[0] == 0) {
            bank[channel] = data[1];
        } else if (event.status < 0xF0 && kind == 0xC0) {
            Add(presets, {channel == PERCUSSION_CHANNEL ? PERCUSSION_BANK : bank[channel], data[0]});
        }
    });
}

// Calls `visit` with where each track chunk's bytes lie. False when the file's chunks are
// not well formed; *division is the header's.
template <typename Visit>
bool WalkChunks(const std::vector<std::uint8_t>& bytes, std::uint32_t* division, Visit visit) {
    Reader file(bytes, 0, bytes.size());
    std::uint32_t tag, size, format, tracks;
    if (!file.Big(4, &tag) || tag != 0x4D546864 || !file.Big(4, &size) || size < 6 ||
        !file.Big(2, &format) || !file.Big(2, &tracks) || !file.Big(2, division) ||
        !file.Skip(size - 6) || format > 2 || tracks == 0 || *division == 0) {
        return false;
    }
    std::size_t at = 8 + size;
    for (std::uint32_t found = 0; found < tracks;) {
        Reader header(bytes, at, bytes.size());
        if (!header.Big(4, &tag) || !header.Big(4, &size) || size > bytes.size() - at - 8) {
            return false;
        }
        if (tag == TRACK_TAG) {
            if (!visit(Reader(bytes, at + 8, at + 8 + size))) return false;
            ++found;
        }
        at += 8 + size;
    }
    return true;
}

void PutNumber(std::vector<std::uint8_t>* out, std::uint32_t value) {
    std::uint8_t groups[5];
    int count = 0;
    do {
        groups[count++] = value & 0x7F;
        value >>= 7;
    } while (value > 0);
    while (count > 1) out->push_back(groups[--count] | 0x80);
    out->push_back(groups[0]);
}

}  // namespace

namespace music {

bool ScanMidi(const std::vector<std::uint8_t>& bytes, std::vector<MidiPreset>* presets, MidiTiming* timing) {
    presets->clear();
    MidiTiming ignored;
    if (timing == nullptr) timing = &ignored;
    *timing = {};
    Add(presets, {0, 0});
    Add(presets, {PERCUSSION_BANK, 0});
    std::uint32_t division = 0;
    if (!WalkChunks(bytes, &division,
                    [&](Reader track) { return ScanTrack(bytes, track, presets, timing); })) {
        return false;
    }
    timing->division = (division & 0x8000) != 0 ? 0 : static_cast<int>(division);
    // A tempo change holds for every track from its tick on, whichever track it is in.
    std::stable_sort(timing->tempos.begin(), timing->tempos.end(),
                     [](const MidiTiming::Tempo& a, const MidiTiming::Tempo& b) { return a.tick < b.tick; });
    return true;
}

int TickAt(const MidiTiming& timing, double seconds) {
    if (timing.division <= 0 || seconds <= 0.0) return 0;
    const double division = timing.division;
    double tick = 0.0;
    double at = 0.0;
    double tempo = DEFAULT_TEMPO;
    for (const MidiTiming::Tempo& change : timing.tempos) {
        const double reached = at + (change.tick - tick) * tempo / 1e6 / division;
        if (reached > seconds) break;
        tick = change.tick;
        at = reached;
        tempo = change.microsecondsPerBeat > 0 ? change.microsecondsPerBeat : DEFAULT_TEMPO;
    }
    return static_cast<int>(tick + (seconds - at) * 1e6 / tempo * division);
}

std::vector<std::uint8_t> StartingAt(const std::vector<std::uint8_t>& bytes, std::uint32_t tick) {
    std::uint32_t division = 0;
    std::vector<std::uint8_t> out;
    const bool whole = WalkChunks(bytes, &division, [&](Reader track) {
        if (out.empty()) out.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(track.At() - 8));
        std::vector<std::uint8_t> events;
        std::uint32_t last = 0;
        const bool read = WalkTrack(track, [&](const Event& event) {
            const int kind = event.status & 0xF0;
            // Notes before the start stay unplayed; all else sets the scene at tick 0.
            if (event.tick < tick && event.status < 0xF0 && kind >= 0x80 && kind <= 0xA0) return;
            const std::uint32_t at = event.tick < tick ? 0 : event.tick - tick;
            // Ticks that wrapped round the 32 bits (deltas summed past them) still give a
            // delta a file may hold.
            PutNumber(&events, std::min<std::uint32_t>(at - last, MOST_DELTA));
            last = at;
            events.push_back(event.status);
            events.insert(events.end(), bytes.begin() + static_cast<std::ptrdiff_t>(event.from),
                          bytes.begin() + static_cast<std::ptrdiff_t>(event.to));
        });
        out.insert(out.end(), {'M', 'T', 'r', 'k'});
        for (int shift = 24; shift >= 0; shift -= 8) out.push_back((events.size() >> shift) & 0xFF);
        out.insert(out.end(), events.begin(), events.end());
        return read;
    });
    return whole ? out : bytes;
}

}  // namespace music
