// An installed game reads its data in place and keeps its ranking files in the player's
// own folder; an old per-user copy of the data gives up its copied files but not its scores.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/user_scores.h"
#include "platform/host/files.h"
#include "tests/support/harness.h"

namespace {

namespace fs = std::filesystem;

constexpr char SHIPPED[] = "3439,3099,2539,1839,939,\n";

class UserScores : public ::testing::Test {
protected:
    UserScores() {
        test::CopyRealData();
        ::setenv("HOME", (dir_.Path() / "home").c_str(), 1);
        ::unsetenv("XDG_DATA_HOME");
    }

    // Plays from the data in the working directory as if it were installed; what was said.
    std::string Start() {
        testing::internal::CaptureStderr();
        KeepScoresPerUser(dir_.Path());
        return testing::internal::GetCapturedStderr();
    }

    test::ScratchDir dir_;
    fs::path mine_ = dir_.Path() / "home/.local/share/lantern-blade";
};

// The first start makes the folder private and gives it the shipped ranking with the runs
// its entries keep; what the game
// then writes under txt\Ranking lands there and the data stays as it was. A relative
// XDG_DATA_HOME does not count, an absolute one does.
TEST_F(UserScores, TheRankingFolderIsThePlayersOwnAndTheDataIsNeverWritten) {
    ::setenv("XDG_DATA_HOME", "relative", 1);
    EXPECT_EQ(Start(), "");
    EXPECT_FALSE(fs::exists("relative"));
    EXPECT_EQ(fs::status(mine_).permissions(), fs::perms::owner_all);
    EXPECT_EQ(test::ReadFile((mine_ / "Ranking.txt").string()), SHIPPED);
    for (const char* run : {"3439-0.lbdemo", "3099-0.lbdemo", "2539-0.lbdemo", "1839-0.lbdemo", "939-0.lbdemo"}) {
        EXPECT_EQ(test::ReadFile((mine_ / "demos" / run).string()), test::ReadFile(std::string("txt/Ranking/demos/") + run));
    }
    EXPECT_EQ(ResolvePath("txt\\RANKING\\Ranking.txt"), (mine_ / "Ranking.txt").string());
    ASSERT_TRUE(ReplaceFileAtomically("txt\\Ranking\\Ranking2.txt", "1,2,3,4,5,"));
    EXPECT_EQ(test::ReadFile((mine_ / "Ranking2.txt").string()), "1,2,3,4,5,");
    EXPECT_FALSE(fs::exists("txt/Ranking/Ranking2.txt"));
    EXPECT_EQ(ResolvePath("txt\\Map\\Map.txt"), "txt/Map/Map.txt");
    EXPECT_EQ(ResolvePath("txt\\RankingOther.txt"), "txt/RankingOther.txt");

    // A later start keeps the player's ranking, and takes no lock (another game's save may
    // hold it for seconds).
    ASSERT_TRUE(ReplaceFileAtomically("txt\\Ranking\\Ranking.txt", "9,8,7,6,5,"));
    fs::remove(mine_ / "Ranking.txt.lock");
    const fs::path elsewhere = dir_.Path() / "xdg";
    ::setenv("XDG_DATA_HOME", elsewhere.c_str(), 1);
    EXPECT_EQ(Start(), "");
    EXPECT_EQ(test::ReadFile((elsewhere / "lantern-blade/Ranking.txt").string()), SHIPPED);
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(Start(), "");
    EXPECT_EQ(test::ReadFile((mine_ / "Ranking.txt").string()), "9,8,7,6,5,");
    EXPECT_FALSE(fs::exists(mine_ / "Ranking.txt.lock"));
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking.txt"), SHIPPED);
}

// With no folder to keep scores in (no HOME, or a file where the folder should be), the
// game still plays, says once why nothing is saved, and writes nothing.
TEST_F(UserScores, WithoutAFolderNothingIsSavedAndTheGameSaysSo) {
    test::WriteFile("home/.local/share", "a file");
    EXPECT_NE(Start().find("scores are not saved"), std::string::npos);
    std::string failure;
    EXPECT_FALSE(ReplaceFileAtomically("txt\\Ranking\\Ranking.txt", "1,2,3,4,5,", &failure));
    EXPECT_NE(failure, "");
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking.txt"), SHIPPED);
    ::unsetenv("HOME");
    EXPECT_NE(Start().find("neither XDG_DATA_HOME nor HOME"), std::string::npos);
}

// The old copy's scores move up and win over the shipped ranking; the copied data files
// go, but not a player's own file, a copied file the player edited, a folder standing
// where a data file was, a link, or anything behind a link to a folder. The folder, made
// open to all by that version, becomes private.
TEST_F(UserScores, AnOldCopyKeepsItsScoresAndWhatIsNotACopiedFile) {
    fs::create_directories(mine_);
    fs::copy(dir_.Path() / "bmp", mine_ / "bmp", fs::copy_options::recursive);
    fs::copy(dir_.Path() / "txt", mine_ / "txt", fs::copy_options::recursive);
    fs::copy_file("BATTLE03.mid", mine_ / "BATTLE03.mid");
    test::WriteFile((mine_ / "txt/Ranking/Ranking.txt").string(), "9000,8000,7000,6000,5000,");
    test::WriteFile((mine_ / "txt/Map/notes.txt").string(), "mine");
    fs::remove(mine_ / "bmp/Map.bmp");
    fs::create_directory(mine_ / "bmp/Map.bmp");
    fs::remove(mine_ / "bmp/OP.bmp");
    fs::create_symlink(dir_.Path() / "bmp/OP.bmp", mine_ / "bmp/OP.bmp");
    fs::remove_all(mine_ / "bmp/Char");
    fs::copy(dir_.Path() / "bmp/Char", "mine", fs::copy_options::recursive);
    fs::create_directory_symlink(dir_.Path() / "mine", mine_ / "bmp/Char");
    test::WriteFile((mine_.parent_path() / ".lantern-blade.lock").string(), "");
    const std::string edited = test::ReadFile("txt/en.txt") + "\n";
    test::WriteFile((mine_ / "txt/en.txt").string(), edited);
    fs::permissions(mine_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                               fs::perms::others_read | fs::perms::others_exec);

    EXPECT_NE(Start().find("old copy"), std::string::npos);
    EXPECT_EQ(test::ReadFile((mine_ / "Ranking.txt").string()), "9000,8000,7000,6000,5000,");
    EXPECT_EQ(test::ReadFile((mine_ / "txt/Map/notes.txt").string()), "mine");
    EXPECT_TRUE(fs::is_directory(mine_ / "bmp/Map.bmp"));
    EXPECT_TRUE(fs::is_symlink(mine_ / "bmp/OP.bmp"));
    EXPECT_FALSE(fs::exists(mine_ / "BATTLE03.mid"));
    EXPECT_FALSE(fs::exists(mine_ / "txt/Ranking"));
    EXPECT_FALSE(fs::exists(mine_ / "txt/Map/Map.txt"));
    EXPECT_TRUE(fs::exists("mine/Enem.bmp"));
    EXPECT_FALSE(fs::exists(mine_.parent_path() / ".lantern-blade.lock"));
    EXPECT_TRUE(fs::exists("bmp/OP.bmp"));
    EXPECT_EQ(test::ReadFile((mine_ / "txt/en.txt").string()), edited);
    EXPECT_EQ(fs::status(mine_).permissions(), fs::perms::owner_all);
    EXPECT_EQ(Start(), "");
}

}  // namespace
