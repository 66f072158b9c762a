// zlib's packing read back a piece at a time; damage to the stream's header or inside it,
// a cut and bytes past its end each end the reading with -1, never as a whole stream ends.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/desktop/desktop.h"

namespace {

// The bytes unpacked in pieces, and Next's last answer.
long Unpack(const std::vector<std::uint8_t>& packed, std::vector<std::uint8_t>* bytes) {
    Unpacker unpacker(packed.data(), packed.size());
    std::uint8_t piece[4096];
    long got = 0;
    while ((got = unpacker.Next(piece, sizeof piece)) > 0) bytes->insert(bytes->end(), piece, piece + got);
    return got;
}

TEST(ZlibPacking, ReadsBackInPiecesAndDamageIsNeverAnEnd) {
    UsePacking(desktop::PACKING);
    std::vector<std::uint8_t> bytes(100000);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * i >> 7);
    std::vector<std::uint8_t> packed;
    ASSERT_TRUE(PackBytes(bytes, &packed));
    std::vector<std::uint8_t> unpacked;
    EXPECT_EQ(Unpack(packed, &unpacked), 0);
    EXPECT_EQ(unpacked, bytes);

    std::vector<std::vector<std::uint8_t>> spoilt(4, packed);
    spoilt[0][0] ^= 0xFF;
    spoilt[1][packed.size() / 2] ^= 0xFF;
    spoilt[2].pop_back();
    spoilt[3].push_back(0);
    for (std::size_t i = 0; i < spoilt.size(); ++i) {
        unpacked.clear();
        EXPECT_EQ(Unpack(spoilt[i], &unpacked), -1) << i;
    }
}

}  // namespace
