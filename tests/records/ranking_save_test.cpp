// Saving a score: the file's own contents are what the score enters, whoever else saves
// meanwhile and whatever stands in the file's place; a save that cannot be made says why
// and changes nothing.
#include "records/ranking_save.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <set>
#include <vector>

#include "platform/files.h"
#include "records/numbers.h"
#include "tests/support/harness.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* RANKING = "txt\\Ranking\\Ranking.txt";
constexpr uid_t NOBODY = 65534;

std::set<std::string> Names(const char* folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}


TEST(SaveScore, EntersTheScoreIntoWhatTheFileHoldsNowAndShowsWhatWasSaved) {
    test::ScratchDir dir;
    const struct {
        std::string before;
        std::uint32_t score;
        std::string after;
    } cases[] = {
        {"500,400,300,200,100,", 350, "500,400,350,300,200,"},
        {"500,400,300,200,100,", 50, "500,400,300,200,100,"},
        {"\xEF\xBB\xBF" "3000,2500,\r\n", 1000, "3000,2500,1000,0,0,"},
        {"-1,5,", 7, "-1,7,5,0,0,"},
    };
    for (const auto& c : cases) {
        test::WriteFile("txt/Ranking/Ranking.txt", c.before);
        std::fill(g_ranking, g_ranking + 6, 9);  // the table read at start, long since stale
        SaveScore(c.score, RANKING);
        EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking.txt"), c.after) << c.before;
        EXPECT_EQ(FormatNumbers(RANKING_SIZE, g_ranking), c.after);
        EXPECT_STREQ(g_saveFailure, "");
    }
    fs::remove("txt/Ranking/Ranking.txt");
    SaveScore(350, RANKING);
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking.txt"), "350,0,0,0,0,");
    EXPECT_EQ(Names("txt/Ranking"), (std::set<std::string>{"Ranking.txt", "Ranking.txt.lock"}));
}

TEST(SaveScore, KeepsAnUnreadableFileAsideAndWritesThroughALink) {
    test::ScratchDir dir;
    const std::string garbage("\0\x01PK\x03\x04 3000,2500,", 17);
    test::WriteFile("txt/Ranking/Ranking.txt", garbage);
    SaveScore(350, RANKING);
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking.txt"), "350,0,0,0,0,");
    std::vector<std::string> aside;
    for (const std::string& name : Names("txt/Ranking")) {
        if (name.starts_with("Ranking.txt.unreadable-")) aside.push_back(name);
    }
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(test::ReadFile("txt/Ranking/" + aside[0]), garbage);

    // The link stays a link; the file it names receives the scores.
    test::WriteFile("scores/best.txt", "10,");
    fs::remove("txt/Ranking/Ranking.txt");
    fs::create_symlink("../../scores/best.txt", "txt/Ranking/Ranking.txt");
    SaveScore(20, RANKING);
    EXPECT_TRUE(fs::is_symlink("txt/Ranking/Ranking.txt"));
    EXPECT_EQ(test::ReadFile("scores/best.txt"), "20,10,0,0,0,");
}

// A save killed mid-write (here by its file-size limit) leaves the old ranking whole and
// its temporary file behind; the next start removes that, and only that.
TEST(SaveScore, AKilledSaveLeavesTheOldFileWholeAndTheNextStartTidiesUp) {
    test::ScratchDir dir;
    test::WriteFile("txt/Ranking/Ranking.txt", "1,2,3,4,5,");
    test::WriteFile("txt/Ranking/.Ranking.txt.notes", "mine");
    const pid_t child = fork();
    if (child == 0) {
        struct rlimit limit {4, 4};
        setrlimit(RLIMIT_FSIZE, &limit);
        SaveScore(99999, RANKING);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking.txt"), "1,2,3,4,5,");
    EXPECT_EQ(Names("txt/Ranking").size(), 4u);
    TidyRankingFolder(RANKING);
    EXPECT_EQ(Names("txt/Ranking"),
              (std::set<std::string>{".Ranking.txt.notes", "Ranking.txt", "Ranking.txt.lock"}));
}

// Each case arranges the folder, then a player's process (user nobody, whose file modes
// count) saves 99999; the failure it reports. A stuck save is killed after 10 s.
std::string SaveAsPlayer(const std::function<void()>& inChild) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return "no pipe";
    const pid_t child = fork();
    if (child == 0) {
        alarm(10);
        inChild();
        if (setgid(NOBODY) != 0 || setuid(NOBODY) != 0) _exit(1);
        SaveScore(99999, RANKING);
        const ssize_t ignored = write(pipeFds[1], g_saveFailure, std::strlen(g_saveFailure));
        _exit(ignored < 0);
    }
    close(pipeFds[1]);
    std::string failure;
    char buffer[256];
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;) failure.append(buffer, n);
    close(pipeFds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? failure : "child ended by signal " + std::to_string(WTERMSIG(status));
}

void OwnedByPlayer(const char* path, mode_t mode) {
    ASSERT_EQ(chown(path, NOBODY, NOBODY), 0) << path;
    ASSERT_EQ(chmod(path, mode), 0) << path;
}

TEST(SaveScore, AFailedSaveChangesNothingAndSaysWhy) {
    if (geteuid() != 0) GTEST_SKIP() << "acting as user nobody needs root";
    const struct {
        const char* name;
        std::function<void()> arrange;  // with the file holding "1,2,3," unless removed
        std::function<void()> inChild;
        const char* failure;
    } cases[] = {
        {"read-only file", [] { OwnedByPlayer("txt/Ranking/Ranking.txt", 0444); }, [] {},
         "Ranking.txt is read-only"},
        {"read-only folder", [] { OwnedByPlayer("txt/Ranking", 0555); }, [] {}, "Permission denied"},
        {"folder in its place",
         [] {
             fs::remove("txt/Ranking/Ranking.txt");
             fs::create_directory("txt/Ranking/Ranking.txt");
         },
         [] {}, "Ranking.txt is not a regular file"},
        {"FIFO in its place",
         [] {
             fs::remove("txt/Ranking/Ranking.txt");
             mkfifo("txt/Ranking/Ranking.txt", 0666);
         },
         [] {}, "Ranking.txt is not a regular file"},
        {"missing folder", [] { fs::remove_all("txt/Ranking"); }, [] {}, "No such file or directory"},
        {"full disk", [] {},
         [] {
             struct rlimit limit {4, 4};
             setrlimit(RLIMIT_FSIZE, &limit);
             signal(SIGXFSZ, SIG_IGN);
         },
         "File too large"},
        {"installed data", [] {}, [] { RefuseWrites("the installed data is read-only"); },
         "the installed data is read-only"},
    };
    for (const auto& c : cases) {
        test::ScratchDir dir;
        fs::permissions(dir.Path(), fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
        test::WriteFile("txt/Ranking/Ranking.txt", "1,2,3,");
        OwnedByPlayer("txt/Ranking", 0755);
        OwnedByPlayer("txt/Ranking/Ranking.txt", 0644);
        c.arrange();
        const auto before = fs::exists("txt/Ranking") ? Names("txt/Ranking") : std::set<std::string>{};
        EXPECT_EQ(SaveAsPlayer(c.inChild), std::string("Score not saved: ") + c.failure) << c.name;
        if (fs::is_regular_file("txt/Ranking/Ranking.txt")) {
            EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking.txt"), "1,2,3,") << c.name;
        }
        std::set<std::string> after = fs::exists("txt/Ranking") ? Names("txt/Ranking") : std::set<std::string>{};
        after.erase("Ranking.txt.lock");
        EXPECT_EQ(after, before) << c.name;
    }
}

// Two games clearing at the same moments: every save enters its score into what the
// other has just saved. The scores of both are interleaved permutations, so the five best
// of all 200 come at scattered times; a save that wrote back what it read before the
// other's save would lose one for good.
TEST(SaveScore, TwoGamesSavingAtOnceLoseNoScore) {
    test::ScratchDir dir;
    test::WriteFile("txt/Ranking/Ranking.txt", "");
    pid_t children[2];
    for (int game = 0; game < 2; ++game) {
        children[game] = fork();
        if (children[game] == 0) {
            for (int i = 0; i < 100; ++i) {
                SaveScore(static_cast<std::uint32_t>((i * (game == 0 ? 37 : 53)) % 100 * 2 + game), RANKING);
                if (g_saveFailure[0] != '\0') _exit(1);
            }
            _exit(0);
        }
    }
    for (const pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking.txt"), "199,198,197,196,195,");
}

}  // namespace
