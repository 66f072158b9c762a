// Reads a demo's records one at a time, unpacking as it goes: memory stays a few hundred
// KB however long the demo is.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/demo/demo_format.h"
#include "platform/host/packing.h"

struct DemoRecord {
    // Clock reads of either form come as TAG_TICK.
    std::uint8_t tag = 0;
    // The ms of a clock read, the key of TAG_KEY, 0/1 of TAG_FILE, the play time of a
    // clear, the check of TAG_CHECK or of a format-1/2 frame.
    std::uint64_t a = 0;
    std::uint64_t b = 0;  // the score of a clear
    // Events of a pump, contents of a file: valid until the next record is read.
    const std::uint8_t* bytes = nullptr;
    std::size_t length = 0;
    std::vector<int> devices;  // TAG_FINISHED
    DemoFramePoint frame;      // a format-3 frame, its fields absolute
};

class DemoReader {
public:
    // The demo must outlive the reader.
    explicit DemoReader(const Demo& demo);

    // The next record into *record; false at the end of the stream or where it is
    // damaged (Damaged() tells which).
    bool Next(DemoRecord* record);
    bool Damaged() const { return damaged_; }
    // Stream bytes read so far: the offset of the record Next reads next.
    std::uint64_t Offset() const { return offset_; }

private:
    bool Fill(std::size_t wanted);
    bool Varint(std::uint64_t* value);
    bool Signed(std::int64_t* value);
    bool Bytes(std::size_t count, const std::uint8_t** bytes);

    std::uint8_t format_;
    std::unique_ptr<Unpacker> unpacker_;
    std::vector<std::uint8_t> buffer_;
    std::size_t pos_ = 0;
    std::uint64_t offset_ = 0;
    std::uint64_t total_;
    bool ended_ = false;
    bool damaged_ = false;
    DemoFramePoint last_;
};

// Reads every record, checks the bounds, and sums up what it found; false with *why.
// `track`, when given, gets each format-3 frame's plain fields.
bool ScanDemo(const Demo& demo, DemoScan* scan, std::string* why, std::vector<DemoFramePoint>* track = nullptr);
