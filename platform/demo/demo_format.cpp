#include "platform/demo/demo_format.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/host/packing.h"

namespace {

constexpr char MAGIC[] = "LBDEMO";
// Format 2 marks each stage's start; format 1 files read the same without the marks.
constexpr std::uint8_t FORMAT_VERSION = 2;
constexpr std::uint8_t OLDEST_FORMAT_READ = 1;
constexpr std::size_t MAX_TEXT = 255;

// Far beyond any run a player could make (a few hundred bytes a second of play); a file
// or a stream bigger than this is not read into memory.
constexpr std::uintmax_t MAX_FILE_BYTES = 64u << 20;
constexpr std::uint64_t MAX_STREAM_BYTES = 256u << 20;

}  // namespace

std::size_t NextRecord(const std::vector<std::uint8_t>& in, std::size_t pos) {
    constexpr std::size_t BAD = std::string::npos;
    const std::uint8_t tag = in[pos++];
    std::uint64_t a = 0;
    if (tag < TAG_TICK) return pos;
    switch (tag) {
        case TAG_TICK:
            return GetVarint(in, &pos, &a) && a <= 0xFFFFFFFFu ? pos : BAD;
        case TAG_KEY:
            return pos + 1 <= in.size() ? pos + 1 : BAD;
        case TAG_EVENTS:
            return GetVarint(in, &pos, &a) && a <= in.size() - pos ? pos + a : BAD;
        case TAG_FINISHED: {
            if (!GetVarint(in, &pos, &a)) return BAD;
            for (std::uint64_t i = 0, id = 0; i < a; ++i) {
                if (!GetVarint(in, &pos, &id)) return BAD;
            }
            return pos;
        }
        case TAG_PUMP:
        case TAG_STAGE:
            return pos;
        case TAG_FRAME:
            return pos + 2 <= in.size() ? pos + 2 : BAD;
        case TAG_CLEAR:
            return GetVarint(in, &pos, &a) && GetVarint(in, &pos, &a) ? pos : BAD;
        case TAG_FILE:
            if (pos >= in.size() || in[pos] > 1) return BAD;
            if (in[pos++] == 0) return pos;
            return GetVarint(in, &pos, &a) && a <= in.size() - pos ? pos + a : BAD;
        default:
            return BAD;
    }
}

std::size_t LastClearedRunStart(const std::vector<std::uint8_t>& stream) {
    std::size_t stage = 0;
    std::size_t cleared = 0;
    for (std::size_t at = 0; at < stream.size(); at = NextRecord(stream, at)) {
        if (stream[at] == TAG_STAGE) stage = at;
        if (stream[at] == TAG_CLEAR) cleared = stage;
    }
    return cleared;
}

void PutVarint(std::vector<std::uint8_t>& out, std::uint64_t value) {
    while (value >= 0x80) {
        out.push_back(static_cast<std::uint8_t>(value | 0x80));
        value >>= 7;
    }
    out.push_back(static_cast<std::uint8_t>(value));
}

bool GetVarint(const std::vector<std::uint8_t>& in, std::size_t* pos, std::uint64_t* value) {
    *value = 0;
    for (int shift = 0; shift < 64; shift += 7) {
        if (*pos >= in.size()) return false;
        const std::uint8_t byte = in[(*pos)++];
        *value |= std::uint64_t{byte & 0x7Fu} << shift;
        if ((byte & 0x80) == 0) return true;
    }
    return false;
}

std::string EncodeDemo(const Demo& demo) {
    std::vector<std::uint8_t> out(MAGIC, MAGIC + sizeof MAGIC - 1);
    out.push_back(FORMAT_VERSION);
    const std::string version = demo.version.substr(0, MAX_TEXT);
    out.push_back(static_cast<std::uint8_t>(version.size()));
    out.insert(out.end(), version.begin(), version.end());
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<std::uint8_t>(demo.stageHash >> (8 * i)));
    // The stream repeats itself turn after turn (a clock read, a quiet pump): deflated,
    // a clear takes a few KB.
    std::vector<std::uint8_t> packed;
    if (!PackBytes(demo.stream, &packed)) return std::string();
    PutVarint(out, demo.stream.size());
    PutVarint(out, packed.size());
    out.insert(out.end(), packed.begin(), packed.end());
    return std::string(out.begin(), out.end());
}

bool DecodeDemo(const std::string& bytes, Demo* demo, std::string* why) {
    const std::vector<std::uint8_t> in(bytes.begin(), bytes.end());
    const std::size_t magic = sizeof MAGIC - 1;
    if (in.size() < magic + 2 || bytes.compare(0, magic, MAGIC) != 0) {
        *why = "not a Lantern Blade demo";
        return false;
    }
    if (in[magic] < OLDEST_FORMAT_READ || in[magic] > FORMAT_VERSION) {
        *why = "demo format " + std::to_string(in[magic]) + ", this game reads formats " +
               std::to_string(OLDEST_FORMAT_READ) + " to " + std::to_string(FORMAT_VERSION);
        return false;
    }
    std::size_t pos = magic + 1;
    const std::size_t versionLength = in[pos++];
    std::uint64_t length = 0;
    std::uint64_t packedLength = 0;
    if (pos + versionLength + 8 > in.size()) {
        *why = "the demo is cut short";
        return false;
    }
    demo->version.assign(bytes, pos, versionLength);
    pos += versionLength;
    demo->stageHash = 0;
    for (int i = 0; i < 8; ++i) demo->stageHash |= std::uint64_t{in[pos++]} << (8 * i);
    if (!GetVarint(in, &pos, &length) || !GetVarint(in, &pos, &packedLength) || packedLength != in.size() - pos) {
        *why = "the demo is cut short or has bytes after its end";
        return false;
    }
    if (length > MAX_STREAM_BYTES) {
        *why = "far too long for a demo";
        return false;
    }
    demo->stream.assign(length, 0);
    if (!UnpackBytes(in.data() + pos, packedLength, &demo->stream)) {
        *why = "the demo's records are damaged";
        return false;
    }
    for (std::size_t at = 0; at < demo->stream.size();) {
        at = NextRecord(demo->stream, at);
        if (at == std::string::npos) {
            *why = "the demo's records are damaged";
            return false;
        }
    }
    return true;
}

bool ReadDemoFile(const std::string& path, Demo* demo, std::string* why) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    std::ifstream file(path, std::ios::binary);
    if (error || !file) {
        *why = "cannot open " + path;
        return false;
    }
    if (size > MAX_FILE_BYTES) {
        *why = "far too big for a demo";
        return false;
    }
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return DecodeDemo(bytes, demo, why);
}
