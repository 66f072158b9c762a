// The packing the backend installed, behind the host's packing calls.
#include "platform/host/packing.h"

namespace {

Packing g_packing{};

}  // namespace

void UsePacking(const Packing& packing) {
    g_packing = packing;
}

bool PackBytes(const std::vector<std::uint8_t>& bytes, std::vector<std::uint8_t>* packed) {
    return g_packing.pack(bytes, packed);
}

Unpacker::Unpacker(const std::uint8_t* packed, std::size_t packedLength)
    : state_(g_packing.startUnpacking(packed, packedLength)) {}

Unpacker::~Unpacker() {
    g_packing.endUnpacking(state_);
}

long Unpacker::Next(std::uint8_t* out, std::size_t room) {
    return g_packing.unpackNext(state_, out, room);
}
