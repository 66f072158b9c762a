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

bool ScanTrack(Reader track, std::vector<music::MidiPreset>* presets) {
    int bank[16] = {};
    std::uint8_t running = 0;
    while (!track.Done()) {
        std::uint32_t delta;
        std::uint8_t status;
        if (!track.Number(&delta) || !track.Peek(&status)) return false;
        if (status >= 0x80) {
            track.Byte(&status);
        } else if (running == 0) {
            return false;
        } else {
            status = running;
        }
        std::uint32_t length;
        if (status == 0xFF) {
            std::uint8_t type;
            if (!track.Byte(&type) || !track.Number(&length) || !track.Skip(length)) return false;
            if (type == 0x2F) return track.Done();
            continue;
        }
        if (status == 0xF0 || status == 0xF7) {
            if (!track.Number(&length) || !track.Skip(length)) return false;
            continue;
        }
        if (status >= 0xF0) return false;
        running = status;
        const int kind = status & 0xF0;
        const int channel = status & 0x0F;
        std::uint8_t data[2] = {};
        const int count = kind == 0xC0 || kind == 0xD0 ? 1 : 2;
        for (int i = 0; i < count; ++i) {
            if (!track.Byte(&data[i]) || data[i] >= 0x80) return false;
        }
        if (kind == 0xB0 && data[0] == 0) bank[channel] = data[1];
        if (kind == 0xC0) {
            Add(presets, {channel == PERCUSSION_CHANNEL ? PERCUSSION_BANK : bank[channel], data[0]});
        }
    }
    return false;  // no end-of-track event
}

}  // namespace

namespace music {

bool ScanMidi(const std::vector<std::uint8_t>& bytes, std::vector<MidiPreset>* presets) {
    presets->clear();
    Add(presets, {0, 0});
    Add(presets, {PERCUSSION_BANK, 0});
    Reader file(bytes, 0, bytes.size());
    std::uint32_t tag, size, format, tracks, division;
    if (!file.Big(4, &tag) || tag != 0x4D546864 || !file.Big(4, &size) || size < 6 ||
        !file.Big(2, &format) || !file.Big(2, &tracks) || !file.Big(2, &division) ||
        !file.Skip(size - 6) || format > 2 || tracks == 0 || division == 0) {
        return false;
    }
    std::size_t at = 8 + size;
    for (std::uint32_t found = 0; found < tracks;) {
        Reader header(bytes, at, bytes.size());
        if (!header.Big(4, &tag) || !header.Big(4, &size) || size > bytes.size() - at - 8) {
            return false;
        }
        if (tag == 0x4D54726B) {
            if (!ScanTrack(Reader(bytes, at + 8, at + 8 + size), presets)) return false;
            ++found;
        }
        at += 8 + size;
    }
    return true;
}

}  // namespace music
