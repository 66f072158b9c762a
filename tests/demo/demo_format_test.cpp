// A demo file's header read back as written, and what a file that is not a whole demo
// of this game's rules is refused with.
#include "platform/demo/demo_format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(DemoFile, TheHeaderReadsBackAsWritten) {
    DemoHeader header;
    header.version = "1.2";
    header.stageHash = 0x0123456789ABCDEFu;
    header.player = "Ada Lovelace";
    header.date = 1796688000;
    header.start = {1, 2, 3};
    Demo packed;
    ASSERT_TRUE(PackDemo(header, {TAG_PUMP, TAG_PUMP}, &packed));
    Demo read;
    std::string why;
    ASSERT_TRUE(DecodeDemo(EncodeDemo(packed), &read, &why)) << why;
    EXPECT_EQ(read.header.version, "1.2");
    EXPECT_EQ(read.header.stageHash, header.stageHash);
    EXPECT_EQ(read.header.player, "Ada Lovelace");
    EXPECT_EQ(read.header.date, header.date);
    EXPECT_EQ(read.header.start, header.start);
    EXPECT_EQ(read.streamLength, 2u);
}

TEST(DemoFile, WhatIsNotAWholeDemoIsRefusedWithWhy) {
    const struct {
        std::string bytes;
        const char* why;
    } refused[] = {
        {"", "not a Lantern Blade demo"},
        {std::string("LBDEMO\x03", 7), "not a Lantern Blade demo"},
        {std::string("LBDEMX\x03\x01", 8), "not a Lantern Blade demo"},
        {std::string("LBDEMO\x03\x01", 8), "the demo is cut short"},
        {std::string("LBDEMO\x04\x01", 8), "demo format 4, this game reads formats 1 to 3"},
        {std::string("LBDEMO\x03\x02", 8), "the demo was played by rules version 2; this game plays by version 1 only"},
        {std::string("LBDEMO\x03\x01\x00", 9) + std::string(8, '\0') + std::string("\x00\x00\x00", 3),
         "the player's name is not 1 to 16 printable characters"},
    };
    for (const auto& r : refused) {
        Demo demo;
        std::string why;
        EXPECT_FALSE(DecodeDemo(r.bytes, &demo, &why));
        EXPECT_EQ(why, r.why) << r.bytes.size() << " bytes";
    }
}

}  // namespace
