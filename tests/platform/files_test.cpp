#include "platform/host/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/support/harness.h"

namespace {

namespace fs = std::filesystem;

int Entries(const char* folder) {
    const fs::directory_iterator all(folder);
    return static_cast<int>(std::distance(fs::begin(all), fs::end(all)));
}

TEST(ResolvePathTest, MatchesEachComponentWithoutRegardToCasePreferringTheExactName) {
    test::ScratchDir scratch;
    test::WriteFile("bmp/Char/My_Char.bmp", "sheet");
    test::WriteFile("txt/Ranking.txt", "upper");
    test::WriteFile("txt/ranking.txt", "lower");
    const std::pair<const char*, const char*> cases[] = {
        {"bmp\\Char\\My_char.bmp", "bmp/Char/My_Char.bmp"},
        {"BMP\\cHAR\\MY_CHAR.BMP", "bmp/Char/My_Char.bmp"},
        {"bmp/Char/My_Char.bmp", "bmp/Char/My_Char.bmp"},
        {"txt\\ranking.txt", "txt/ranking.txt"},
        {"txt\\Ranking.txt", "txt/Ranking.txt"},
        {"TXT\\RANKING.TXT", "txt/Ranking.txt"},  // neither exact: a stable choice
        {"TXT\\New\\File.txt", "txt/New/File.txt"},  // missing parts stay as written
    };
    for (const auto& [path, found] : cases) EXPECT_EQ(ResolvePath(path), found) << path;
    EXPECT_EQ(OpenGameFile("txt\\missing.txt", "rt"), nullptr);
    ::umask(022);  // a file made anew gets the mode any program's would
    std::FILE* made = OpenGameFile("txt\\new.txt", "wt");
    ASSERT_NE(made, nullptr);
    std::fclose(made);
    EXPECT_EQ(fs::status("txt/new.txt").permissions() & fs::perms::all, static_cast<fs::perms>(0644));
    const fs::path absolute = scratch.Path() / "txt" / "ranking.txt";
    EXPECT_EQ(ResolvePath(absolute.c_str()), absolute.string());
}

TEST(ReplaceFileAtomicallyTest, ReplacesKeepingPermissionsOrFailsLeavingTheOldAndNoTemporary) {
    test::ScratchDir scratch;
    test::WriteFile("txt/Ranking/Ranking.txt", "1,2,3,");
    ::chmod("txt/Ranking/Ranking.txt", 0640);
    ASSERT_TRUE(ReplaceFileAtomically("TXT\\ranking\\ranking.TXT", "9,8,7,6,5,"));
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking.txt"), "9,8,7,6,5,");
    EXPECT_EQ(fs::status("txt/Ranking/Ranking.txt").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(Entries("txt/Ranking"), 1);
    ASSERT_TRUE(ReplaceFileAtomically("txt\\Ranking\\New.txt", "1,"));
    EXPECT_EQ(test::ReadFile("txt/Ranking/New.txt"), "1,");
    // The same contents again leave the file as it is; others replace it.
    const auto inode = [] {
        struct stat info {};
        ::stat("txt/Ranking/New.txt", &info);
        return info.st_ino;
    };
    const auto before = inode();
    ASSERT_TRUE(ReplaceFileAtomically("txt\\Ranking\\New.txt", "1,"));
    EXPECT_EQ(inode(), before);
    ASSERT_TRUE(ReplaceFileAtomically("txt\\Ranking\\New.txt", "1,2,"));
    EXPECT_NE(inode(), before);
    EXPECT_EQ(test::ReadFile("txt/Ranking/New.txt"), "1,2,");

    EXPECT_FALSE(ReplaceFileAtomically("no\\such\\folder.txt", "x"));
    EXPECT_FALSE(fs::exists("no"));
    // A folder in the target's place cannot be replaced by a file.
    test::WriteFile("txt/Ranking.txt/inside", "kept");
    EXPECT_FALSE(ReplaceFileAtomically("txt\\Ranking.txt", "x"));
    EXPECT_EQ(test::ReadFile("txt/Ranking.txt/inside"), "kept");
    EXPECT_EQ(Entries("txt"), 2);
}

}  // namespace
