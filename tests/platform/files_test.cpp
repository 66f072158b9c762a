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

// A path the user gives is used as written: a backslash is part of the name, another case
// is another file, and a link at the name is replaced, its target left alone. What
// cannot be written is said before anything is.
TEST(ReplaceGivenFileTest, UsesThePathAsWrittenAndNeverWritesThroughALink) {
    test::ScratchDir scratch;
    test::WriteFile("target", "precious");
    test::WriteFile("Runs/MyRun.lbdemo", "");
    fs::remove("Runs/MyRun.lbdemo");
    fs::create_symlink(scratch.Path() / "target", "Runs/MyRun.lbdemo");
    std::string failure;
    ASSERT_TRUE(ReplaceGivenFile("Runs/myrun.lbdemo", "case", &failure)) << failure;
    ASSERT_TRUE(ReplaceGivenFile("Runs/MyRun.lbdemo", "exact", &failure)) << failure;
    ASSERT_TRUE(ReplaceGivenFile("Runs\\b.lbdemo", "slash", &failure)) << failure;
    EXPECT_EQ(test::ReadFile("target"), "precious");
    EXPECT_FALSE(fs::is_symlink("Runs/MyRun.lbdemo"));
    EXPECT_EQ(test::ReadFile("Runs/MyRun.lbdemo"), "exact");
    EXPECT_EQ(test::ReadFile("Runs/myrun.lbdemo"), "case");
    EXPECT_EQ(test::ReadFile("Runs\\b.lbdemo"), "slash");
    EXPECT_FALSE(fs::exists("Runs/b.lbdemo"));
    EXPECT_EQ(Entries("."), 3);

    const struct {
        const char* path;
        const char* why;
    } refused[] = {{"missing/run.lbdemo", "missing: No such file or directory"},
                   {"target/run.lbdemo", "target is not a folder"},
                   {"Runs", "Runs is a folder"},
                   {"Runs/..", "names a folder"}};
    for (const auto& c : refused) {
        failure.clear();
        EXPECT_FALSE(CanReplaceGivenFile(c.path, &failure)) << c.path;
        EXPECT_NE(failure.find(c.why), std::string::npos) << c.path << ": " << failure;
        EXPECT_FALSE(ReplaceGivenFile(c.path, "x", &failure)) << c.path;
    }
    EXPECT_EQ(Entries("Runs"), 2);
}

}  // namespace

// A replayed run saves as the recorded one did, but nothing reaches the disk: not the
// ranking, not a file set aside, not one opened for writing, not a removal; once the
// sandbox is lifted (a run watched in the game's place has ended), writes land again.
TEST(SandboxTest, WritesSucceedAndLeaveTheFilesAsTheyWere) {
    test::ScratchDir scratch;
    test::WriteFile("txt/Ranking/Ranking.txt", "unreadable");
    test::WriteFile("txt/Ranking/demos/100-0.lbdemo", "kept");
    SandboxWrites(true);
    RemoveFile("txt/Ranking/demos/100-0.lbdemo");
    EXPECT_EQ(test::ReadFile("txt/Ranking/demos/100-0.lbdemo"), "kept");
    EXPECT_TRUE(CanReplaceFile("txt\\Ranking\\Ranking.txt", nullptr));
    EXPECT_TRUE(ReplaceFileAtomically("txt\\Ranking\\Ranking.txt", "1,2,3,4,5,"));
    EXPECT_EQ(SetFileAside("txt\\Ranking\\Ranking.txt", "unreadable", 5), "txt/Ranking/Ranking.txt.unreadable");
    std::FILE* written = OpenGameFile("txt\\Ranking\\Ranking.txt", "w");
    ASSERT_NE(written, nullptr);
    std::fputs("6,", written);
    std::fclose(written);
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking.txt"), "unreadable");
    EXPECT_EQ(Entries("txt/Ranking"), 2);
    SandboxWrites(false);
    EXPECT_TRUE(ReplaceFileAtomically("txt\\Ranking\\Ranking.txt", "1,2,3,4,5,"));
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking.txt"), "1,2,3,4,5,");
}
