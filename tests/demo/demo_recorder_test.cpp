// The recorder on its own: nothing recorded gives no demo, and a player's file as large
// as a demo keeps is kept whole and read back from the demo, not from the disk.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/demo/demo.h"
#include "platform/host/files.h"
#include "tests/support/harness.h"

namespace {

std::string ReadGameFile(const char* gamePath) {
    std::FILE* file = OpenGameFile(gamePath, "r");
    if (file == nullptr) return "(none)";
    std::string contents;
    char piece[4096];
    for (std::size_t got; (got = std::fread(piece, 1, sizeof piece, file)) > 0;) contents.append(piece, got);
    std::fclose(file);
    return contents;
}

TEST(DemoRecorder, APlayersFileAsLargeAsADemoKeepsIsReadBackWholeFromTheDemo) {
    EXPECT_EQ(DemoRecordingBytes(false), "") << "nothing recorded";
    test::ScratchDir dir;
    std::string ranking(DEMO_MAX_KEPT_FILE, '1');
    ranking.back() = '9';
    test::WriteFile("txt/Ranking/Ranking.txt", ranking);
    StartDemoRecording(DemoHeader{}, true);
    DemoKeepFilesUnder("txt\\Ranking");
    ASSERT_EQ(ReadGameFile("txt\\Ranking\\Ranking.txt"), ranking);
    Demo demo;
    std::string why;
    ASSERT_TRUE(DecodeDemo(DemoRecordingBytes(false), &demo, &why)) << why;

    std::filesystem::remove("txt/Ranking/Ranking.txt");
    ASSERT_TRUE(StartDemoReplay(demo, false, true));
    EXPECT_EQ(ReadGameFile("txt\\Ranking\\Ranking.txt"), ranking);
}

}  // namespace
