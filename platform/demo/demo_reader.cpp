// The demo's records read a piece at a time from the packed stream, each checked against
// the format's bounds as it is read.
#include "platform/demo/demo_reader.h"

#include <limits>

namespace {

// Unpacked a piece at a time; a record is never longer than a kept file and its header.
constexpr std::size_t PIECE = 64u << 10;

void Mix(std::uint64_t& hash, std::uint64_t value) {
    for (int i = 0; i < 8; ++i) hash = (hash ^ ((value >> (8 * i)) & 0xFF)) * FNV_PRIME;
}

void MixBytes(std::uint64_t& hash, const std::uint8_t* bytes, std::size_t length) {
    Mix(hash, length);
    for (std::size_t i = 0; i < length; ++i) hash = (hash ^ bytes[i]) * FNV_PRIME;
}

bool IsInput(std::uint8_t tag) {
    return tag == TAG_TICK || tag == TAG_KEY || tag == TAG_EVENTS || tag == TAG_FINISHED || tag == TAG_FILE ||
           tag == TAG_PUMP;
}

void MixInput(std::uint64_t& hash, const DemoRecord& record) {
    Mix(hash, record.tag);
    Mix(hash, record.a);
    MixBytes(hash, record.bytes, record.length);
    for (int device : record.devices) Mix(hash, static_cast<std::uint64_t>(device));
}

}  // namespace

DemoReader::DemoReader(const Demo& demo)
    : format_(demo.header.format),
      unpacker_(std::make_unique<Unpacker>(demo.packed.data(), demo.packed.size())),
      total_(demo.streamLength) {}

bool DemoReader::Fill(std::size_t wanted) {
    while (buffer_.size() - pos_ < wanted && !ended_ && !damaged_) {
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(pos_));
        pos_ = 0;
        const std::size_t had = buffer_.size();
        buffer_.resize(had + PIECE);
        const long got = unpacker_->Next(buffer_.data() + had, PIECE);
        buffer_.resize(had + static_cast<std::size_t>(got > 0 ? got : 0));
        if (got < 0) damaged_ = true;
        if (got == 0) ended_ = true;
    }
    // The stream is as long as the header says, no more, no less.
    if (offset_ + (buffer_.size() - pos_) > total_ || (ended_ && offset_ + (buffer_.size() - pos_) != total_)) {
        damaged_ = true;
    }
    return !damaged_ && buffer_.size() - pos_ >= wanted;
}

bool DemoReader::Varint(std::uint64_t* value) {
    *value = 0;
    for (int shift = 0; shift < 64; shift += 7) {
        if (!Fill(1)) return false;
        const std::uint8_t byte = buffer_[pos_++];
        ++offset_;
        *value |= std::uint64_t{byte & 0x7Fu} << shift;
        if ((byte & 0x80) == 0) return true;
    }
    return false;
}

bool DemoReader::Signed(std::int64_t* value) {
    std::uint64_t zigzag = 0;
    if (!Varint(&zigzag)) return false;
    *value = static_cast<std::int64_t>(zigzag >> 1) ^ -static_cast<std::int64_t>(zigzag & 1);
    return true;
}

bool DemoReader::Bytes(std::size_t count, const std::uint8_t** bytes) {
    if (!Fill(count)) return false;
    *bytes = buffer_.data() + pos_;
    pos_ += count;
    offset_ += count;
    return true;
}

bool DemoReader::Next(DemoRecord* record) {
    if (!Fill(1)) return false;
    const std::uint8_t tag = buffer_[pos_++];
    ++offset_;
    record->tag = tag < TAG_TICK ? TAG_TICK : tag;
    record->a = tag < TAG_TICK ? tag : 0;
    record->b = 0;
    record->bytes = nullptr;
    record->length = 0;
    record->devices.clear();
    const std::uint8_t* bytes = nullptr;
    std::uint64_t count = 0;
    bool ok = true;
    switch (tag < TAG_TICK ? 0 : tag) {
        case 0:
        case TAG_PUMP:
            break;
        case TAG_TICK:
            ok = Varint(&record->a) && record->a <= 0xFFFFFFFFu;
            break;
        case TAG_KEY:
            ok = Bytes(1, &bytes);
            if (ok) record->a = bytes[0];
            break;
        case TAG_EVENTS:
            ok = Varint(&count) && count <= DEMO_MAX_EVENTS && Bytes(count, &record->bytes);
            record->length = count;
            break;
        case TAG_FINISHED:
            ok = Varint(&count) && count <= DEMO_MAX_FINISHED;
            for (std::uint64_t i = 0, id = 0; ok && i < count; ++i) {
                ok = Varint(&id) && id <= 0xFFFF;
                record->devices.push_back(static_cast<int>(id));
            }
            break;
        case TAG_FRAME:
            if (format_ < 3) {
                ok = Bytes(2, &bytes);
                if (ok) record->a = bytes[0] | (bytes[1] << 8);
            } else {
                std::int64_t scene = 0, time = 0, x = 0, y = 0;
                ok = Signed(&scene) && Signed(&time) && Signed(&x) && Signed(&y) && Bytes(3, &bytes);
                if (!ok) break;
                constexpr std::int64_t INT_LOW = std::numeric_limits<std::int32_t>::min();
                constexpr std::int64_t INT_HIGH = std::numeric_limits<std::int32_t>::max();
                time += last_.playTimeMs;
                x += last_.x;
                y += last_.y;
                ok = scene >= INT_LOW && scene <= INT_HIGH && time >= 0 && time <= 0xFFFFFFFF && x >= INT_LOW &&
                     x <= INT_HIGH && y >= INT_LOW && y <= INT_HIGH;
                last_ = DemoFramePoint{static_cast<int>(scene),     static_cast<std::uint32_t>(time),
                                       static_cast<std::int32_t>(x), static_cast<std::int32_t>(y),
                                       bytes[0],                    bytes[1],
                                       bytes[2]};
                record->frame = last_;
            }
            break;
        case TAG_CLEAR:
            ok = Varint(&record->a) && Varint(&record->b) && record->a <= 0xFFFFFFFFu && record->b <= 0xFFFFFFFFu;
            break;
        case TAG_FILE:
            ok = Bytes(1, &bytes) && bytes[0] <= 1;
            record->a = ok ? bytes[0] : 0;
            if (ok && record->a == 1) {
                ok = Varint(&count) && count <= DEMO_MAX_KEPT_FILE && Bytes(count, &record->bytes);
                record->length = count;
            }
            break;
        case TAG_STAGE:
            // Each run's frames are told from its own start, so a run cut out reads alone.
            last_ = DemoFramePoint{};
            break;
        case TAG_CHECK:
            ok = format_ >= 3 && Bytes(4, &bytes);
            if (ok) record->a = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (std::uint64_t{bytes[3]} << 24);
            break;
        default:
            ok = false;
    }
    if (!ok) damaged_ = true;
    return ok;
}

bool ScanDemo(const Demo& demo, DemoScan* scan, std::string* why, std::vector<DemoFramePoint>* track) {
    *scan = DemoScan{};
    std::uint64_t inputs = FNV_OFFSET;
    MixBytes(inputs, demo.header.start.data(), demo.header.start.size());
    DemoReader reader(demo);
    DemoRecord record;
    std::uint64_t stageAt = 0;
    std::uint64_t ticks = 0;
    for (std::uint64_t at = reader.Offset(); reader.Next(&record); at = reader.Offset()) {
        if (IsInput(record.tag)) MixInput(inputs, record);
        // A session's first reading is the clock since boot, not time played.
        if (record.tag == TAG_TICK && ticks++ > 0) scan->clockMs += record.a;
        if (record.tag == TAG_FRAME) {
            ++scan->frames;
            if (track != nullptr && demo.header.format >= 3) track->push_back(record.frame);
        }
        if (record.tag == TAG_STAGE) stageAt = at;
        if (record.tag == TAG_CLEAR) {
            scan->clears.push_back(DemoClear{static_cast<std::uint32_t>(record.a), static_cast<std::uint32_t>(record.b)});
            scan->lastRunStart = stageAt;
        }
        if (scan->frames > DEMO_MAX_FRAMES || scan->clockMs > DEMO_MAX_CLOCK_MS) {
            *why = "longer than a demo may be (" + std::to_string(DEMO_MAX_FRAMES) + " frames, " +
                   std::to_string(DEMO_MAX_CLOCK_MS / 3600000) + " hours of play)";
            return false;
        }
    }
    if (reader.Damaged()) {
        *why = "the demo's records are damaged";
        return false;
    }
    scan->inputs = inputs;
    return true;
}
