// The demo file's header and its packing, read and written; the records themselves are
// read by platform/demo/demo_reader.cpp.
#include "platform/demo/demo_format.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/demo/demo_reader.h"
#include "platform/host/files.h"
#include "platform/host/packing.h"

namespace {

constexpr char MAGIC[] = "LBDEMO";
constexpr std::size_t MAGIC_LENGTH = sizeof MAGIC - 1;
constexpr std::uint8_t OLDEST_FORMAT_READ = 1;

void PutText(std::vector<std::uint8_t>& out, const std::string& text) {
    out.push_back(static_cast<std::uint8_t>(text.size()));
    out.insert(out.end(), text.begin(), text.end());
}

bool GetText(const std::vector<std::uint8_t>& in, std::size_t* pos, std::size_t most, std::string* text) {
    if (*pos >= in.size() || in[*pos] > most || in[*pos] > in.size() - *pos - 1) return false;
    const std::size_t length = in[(*pos)++];
    text->assign(in.begin() + static_cast<std::ptrdiff_t>(*pos), in.begin() + static_cast<std::ptrdiff_t>(*pos + length));
    *pos += length;
    return true;
}

bool PrintableName(const std::string& name) {
    if (name.empty() || name.size() > DEMO_MAX_PLAYER) return false;
    for (char c : name) {
        if (c < 0x20 || c > 0x7E) return false;
    }
    return true;
}

// The header of formats 1 and 2: the version and the stage hash, nothing else.
bool DecodeHeader(const std::vector<std::uint8_t>& in, std::size_t* pos, DemoHeader* header, std::string* why) {
    header->format = in[MAGIC_LENGTH];
    *pos = MAGIC_LENGTH + 1;
    if (header->format < OLDEST_FORMAT_READ || header->format > DEMO_FORMAT) {
        *why = "demo format " + std::to_string(header->format) + ", this game reads formats " +
               std::to_string(OLDEST_FORMAT_READ) + " to " + std::to_string(DEMO_FORMAT);
        return false;
    }
    std::uint64_t rules = DEMO_RULES;
    if (header->format >= 3 && !GetVarint(in, pos, &rules)) {
        *why = "the demo is cut short";
        return false;
    }
    if (rules != DEMO_RULES) {
        *why = "the demo was played by rules version " + std::to_string(rules) + "; this game plays by version " +
               std::to_string(DEMO_RULES) + " only";
        return false;
    }
    header->rules = static_cast<std::uint32_t>(rules);
    // Formats 1 and 2 allowed versions of up to 255 characters.
    if (!GetText(in, pos, header->format >= 3 ? DEMO_MAX_VERSION : 255, &header->version) || *pos + 8 > in.size()) {
        *why = "the demo is cut short";
        return false;
    }
    header->stageHash = 0;
    for (int i = 0; i < 8; ++i) header->stageHash |= std::uint64_t{in[(*pos)++]} << (8 * i);
    header->player = DEMO_DEFAULT_PLAYER;
    header->date = 0;
    header->start.clear();
    if (header->format < 3) return true;
    std::uint64_t startLength = 0;
    if (!GetText(in, pos, DEMO_MAX_PLAYER, &header->player) || !GetVarint(in, pos, &header->date) ||
        !GetVarint(in, pos, &startLength)) {
        *why = "the demo is cut short";
        return false;
    }
    if (!PrintableName(header->player)) {
        *why = "the player's name is not 1 to 16 printable characters";
        return false;
    }
    if (startLength > DEMO_MAX_START || startLength > in.size() - *pos) {
        *why = "the state the run starts from is damaged";
        return false;
    }
    header->start.assign(in.begin() + static_cast<std::ptrdiff_t>(*pos),
                         in.begin() + static_cast<std::ptrdiff_t>(*pos + startLength));
    *pos += startLength;
    return true;
}

}  // namespace

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

bool PackDemo(const DemoHeader& header, const std::vector<std::uint8_t>& stream, Demo* demo) {
    demo->header = header;
    demo->streamLength = stream.size();
    // The stream repeats itself turn after turn (a clock read, a quiet pump): deflated,
    // a clear takes a few KB.
    if (!PackBytes(stream, &demo->packed)) return false;
    // A stream past the bounds packs too (tests make such files): reading refuses it.
    std::string why;
    ScanDemo(*demo, &demo->scan, &why);
    return true;
}

std::string EncodeDemo(const Demo& demo) {
    const DemoHeader& header = demo.header;
    std::vector<std::uint8_t> out(MAGIC, MAGIC + MAGIC_LENGTH);
    out.push_back(header.format);
    if (header.format >= 3) PutVarint(out, header.rules);
    PutText(out, header.version.substr(0, header.format >= 3 ? DEMO_MAX_VERSION : 255));
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<std::uint8_t>(header.stageHash >> (8 * i)));
    if (header.format >= 3) {
        PutText(out, PrintableName(header.player) ? header.player : DEMO_DEFAULT_PLAYER);
        PutVarint(out, header.date);
        PutVarint(out, header.start.size());
        out.insert(out.end(), header.start.begin(), header.start.end());
    }
    PutVarint(out, demo.streamLength);
    PutVarint(out, demo.packed.size());
    out.insert(out.end(), demo.packed.begin(), demo.packed.end());
    return std::string(out.begin(), out.end());
}

bool DecodeDemo(const std::string& bytes, Demo* demo, std::string* why) {
    const std::vector<std::uint8_t> in(bytes.begin(), bytes.end());
    if (in.size() < MAGIC_LENGTH + 2 || bytes.compare(0, MAGIC_LENGTH, MAGIC) != 0) {
        *why = "not a Lantern Blade demo";
        return false;
    }
    std::size_t pos = 0;
    if (!DecodeHeader(in, &pos, &demo->header, why)) return false;
    std::uint64_t packedLength = 0;
    if (!GetVarint(in, &pos, &demo->streamLength) || !GetVarint(in, &pos, &packedLength) ||
        packedLength != in.size() - pos) {
        *why = "the demo is cut short or has bytes after its end";
        return false;
    }
    if (demo->streamLength > DEMO_MAX_STREAM_BYTES) {
        *why = "far too long for a demo";
        return false;
    }
    demo->packed.assign(in.begin() + static_cast<std::ptrdiff_t>(pos), in.end());
    return ScanDemo(*demo, &demo->scan, why);
}

bool ReadDemoFile(const std::string& path, Demo* demo, std::string* why) {
    const int fd = OpenRegularFile(path, O_RDONLY, why);
    if (fd < 0) return false;
    std::string bytes;
    bool ok = true;
    // Read up to one byte past the bound, so a file that grows meanwhile is still refused.
    char piece[64 * 1024];
    while (ok) {
        const ssize_t got = ::read(fd, piece, sizeof piece);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            *why = "cannot read " + path + ": " + std::strerror(errno);
            ok = false;
        } else if (got == 0) {
            break;
        } else {
            bytes.append(piece, static_cast<std::size_t>(got));
            if (bytes.size() > DEMO_MAX_FILE_BYTES) {
                *why = "far too big for a demo";
                ok = false;
            }
        }
    }
    ::close(fd);
    return ok && DecodeDemo(bytes, demo, why);
}

bool UnpackDemo(const Demo& demo, std::vector<std::uint8_t>* stream) {
    stream->assign(demo.streamLength, 0);
    Unpacker unpacker(demo.packed.data(), demo.packed.size());
    std::size_t at = 0;
    for (long got = 1; got > 0; at += static_cast<std::size_t>(got)) {
        got = unpacker.Next(stream->data() + at, stream->size() - at);
        if (got < 0) return false;
        if (got == 0) break;
    }
    std::uint8_t past = 0;
    return at == stream->size() && unpacker.Next(&past, 1) == 0;
}

std::vector<DemoFramePoint> DemoTrack(const Demo& demo) {
    std::vector<DemoFramePoint> track;
    DemoScan scan;
    std::string why;
    if (!ScanDemo(demo, &scan, &why, &track)) track.clear();
    return track;
}
