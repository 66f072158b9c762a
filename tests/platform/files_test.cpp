#include "platform/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/support/harness.h"

namespace {

namespace fs = std::filesystem;

std::string Read(std::FILE* file) {
    std::string text;
    if (file == nullptr) return text;
    char buffer[64];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof(buffer), file)) > 0) text.append(buffer, n);
    std::fclose(file);
    return text;
}

TEST(ResolvePathTest, MatchesEveryComponentWithoutRegardToCase) {
    test::ScratchDir scratch;
    test::WriteFile("bmp/Char/My_Char.bmp", "sheet");
    EXPECT_EQ(ResolvePath("bmp\\Char\\My_char.bmp"), "bmp/Char/My_Char.bmp");
    EXPECT_EQ(ResolvePath("BMP\\cHAR\\MY_CHAR.BMP"), "bmp/Char/My_Char.bmp");
    EXPECT_EQ(ResolvePath("bmp/Char/My_Char.bmp"), "bmp/Char/My_Char.bmp");
    EXPECT_EQ(Read(OpenGameFile("Bmp\\char\\my_char.bmp", "rb")), "sheet");
}

TEST(ResolvePathTest, PrefersTheExactNameAndKeepsMissingPartsAsWritten) {
    test::ScratchDir scratch;
    test::WriteFile("txt/Ranking.txt", "upper");
    test::WriteFile("txt/ranking.txt", "lower");
    EXPECT_EQ(Read(OpenGameFile("txt\\ranking.txt", "rt")), "lower");
    EXPECT_EQ(Read(OpenGameFile("txt\\Ranking.txt", "rt")), "upper");
    // Two case variants, neither exact: the choice is stable.
    EXPECT_EQ(ResolvePath("TXT\\RANKING.TXT"), "txt/Ranking.txt");

    EXPECT_EQ(ResolvePath("TXT\\New\\File.txt"), "txt/New/File.txt");
    EXPECT_EQ(OpenGameFile("txt\\missing.txt", "rt"), nullptr);
    const fs::path absolute = scratch.Path() / "txt" / "ranking.txt";
    EXPECT_EQ(ResolvePath(absolute.c_str()), absolute.string());
}

TEST(ReplaceFileAtomicallyTest, ReplacesTheContentsAndLeavesNoTemporary) {
    test::ScratchDir scratch;
    test::WriteFile("txt/Ranking/Ranking.txt", "1,2,3,");
    ::chmod("txt/Ranking/Ranking.txt", 0640);
    ASSERT_TRUE(ReplaceFileAtomically("TXT\\ranking\\ranking.TXT", "9,8,7,6,5,"));
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking.txt"), "9,8,7,6,5,");
    EXPECT_EQ(fs::status("txt/Ranking/Ranking.txt").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    int entries = 0;
    for (const auto& entry : fs::directory_iterator("txt/Ranking")) entries += entry.exists();
    EXPECT_EQ(entries, 1);

    ASSERT_TRUE(ReplaceFileAtomically("txt\\Ranking\\New.txt", "1,"));
    EXPECT_EQ(test::ReadFile("txt/Ranking/New.txt"), "1,");
}

TEST(ReplaceFileAtomicallyTest, FailureLeavesTheOldFileAndNoTemporary) {
    test::ScratchDir scratch;
    EXPECT_FALSE(ReplaceFileAtomically("no\\such\\folder.txt", "x"));
    EXPECT_FALSE(fs::exists("no"));

    // A folder in the target's place cannot be replaced by a file.
    fs::create_directories("txt/Ranking.txt");
    test::WriteFile("txt/Ranking.txt/inside", "kept");
    EXPECT_FALSE(ReplaceFileAtomically("txt\\Ranking.txt", "x"));
    EXPECT_EQ(test::ReadFile("txt/Ranking.txt/inside"), "kept");
    int entries = 0;
    for (const auto& entry : fs::directory_iterator("txt")) entries += entry.exists();
    EXPECT_EQ(entries, 1);
}

}  // namespace
