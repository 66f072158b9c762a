#include "records/ranking_save.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>

#include "platform/host/files.h"
#include "records/numbers.h"
#include "tests/support/harness.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* RANKING = "txt\\Ranking\\Ranking.txt";
constexpr uid_t NOBODY = 65534;

using test::Names;

// Writing past four bytes kills this process, or with `failOnly` fails ("File too large").
void LimitFileSize(bool failOnly) {
    struct rlimit limit {4, 4};
    setrlimit(RLIMIT_FSIZE, &limit);
    if (failOnly) signal(SIGXFSZ, SIG_IGN);
}

// What the file holds now, not the table read at start, is what the score enters. Text
// after five numbers is dropped; a file from which five numbers do not read is kept aside
// whole and the player told; a link stays a link, and the file it names receives the scores.
TEST(SaveScore, EntersTheScoreIntoWhatTheFileHoldsNowAndShowsWhatWasSaved) {
    const std::string garbage("\0\x01PK\x03\x04 3000,2500,", 17);
    const struct {
        std::optional<std::string> before;  // none: no file
        std::uint32_t score;
        std::string after;
        bool link = false;
    } cases[] = {
        {"500,400,300,200,100,", 350, "500,400,350,300,200,"},
        {"500,400,300,200,100,", 50, "500,400,300,200,100,"},
        {"\xEF\xBB\xBF" "3000,2500,\r\n", 1000, "3000,2500,1000,0,0,"},
        {"-2147483648,5,", 7, "-2147483648,7,5,0,0,"},
        {"600,598,597,12,0,x", 500, "600,598,597,500,12,"},
        {std::nullopt, 350, "350,0,0,0,0,"},
        {garbage, 350, "350,0,0,0,0,"},
        {"10,", 20, "20,10,0,0,0,", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.before.value_or("no file"));
        test::ScratchDir dir;
        const std::string file = c.link ? "scores/best.txt" : "txt/Ranking/Ranking.txt";
        fs::create_directories("txt/Ranking");
        if (c.before) test::WriteFile(file, *c.before);
        if (c.link) fs::create_symlink("../../scores/best.txt", "txt/Ranking/Ranking.txt");
        std::fill(g_ranking, g_ranking + 6, 9);
        SaveScore(c.score, RANKING);
        EXPECT_EQ(test::ReadFile(file), c.after);
        EXPECT_EQ(FormatNumbers(RANKING_SIZE, g_ranking), c.after);
        EXPECT_EQ(std::string(g_saveFailure).starts_with("Ranking.txt was unreadable: kept as Ranking.txt.unreadable-"),
                  c.before == garbage)
            << g_saveFailure;
        EXPECT_EQ(fs::is_symlink("txt/Ranking/Ranking.txt"), c.link);
        // Only the lock joins the ranking, and a file that held more than numbers, kept whole.
        int aside = 0;
        for (const std::string& name : Names("txt/Ranking")) {
            if (name == "Ranking.txt" || name == "Ranking.txt.lock") continue;
            EXPECT_TRUE(name.starts_with("Ranking.txt.unreadable-")) << name;
            EXPECT_EQ(test::ReadFile("txt/Ranking/" + name), garbage);
            ++aside;
        }
        EXPECT_EQ(aside, c.before == garbage);
    }
}

// A save killed mid-write (here by its file-size limit) leaves the old ranking whole and
// its temporary file behind; the next start removes that, and only that.
TEST(SaveScore, AKilledSaveLeavesTheOldFileWholeAndTheNextStartTidiesUp) {
    test::ScratchDir dir;
    test::WriteFile("txt/Ranking/Ranking.txt", "1,2,3,4,5,");
    test::WriteFile("txt/Ranking/.Ranking.txt.notes", "mine");
    if (fork() == 0) {
        LimitFileSize(false);
        SaveScore(99999, RANKING);
        _exit(0);
    }
    int status = 0;
    wait(&status);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking.txt"), "1,2,3,4,5,");
    EXPECT_EQ(Names("txt/Ranking").size(), 4u);
    TidyRankingFolder(RANKING);
    EXPECT_EQ(Names("txt/Ranking"),
              (std::set<std::string>{".Ranking.txt.notes", "Ranking.txt", "Ranking.txt.lock"}));
}

// A player's process (user nobody, whose file modes count) saves 99999; the failure it
// reports. A stuck save is killed after 10 s.
std::string SaveAsPlayer(const std::function<void()>& inChild) {
    auto* reported = static_cast<char*>(mmap(nullptr, sizeof g_saveFailure, PROT_READ | PROT_WRITE,
                                             MAP_SHARED | MAP_ANONYMOUS, -1, 0));
    const pid_t child = fork();
    if (child == 0) {
        alarm(10);
        if (inChild) inChild();
        if (setgid(NOBODY) != 0 || setuid(NOBODY) != 0) _exit(1);
        SaveScore(99999, RANKING);
        std::memcpy(reported, g_saveFailure, sizeof g_saveFailure);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    const std::string failure =
        WIFEXITED(status) ? reported : "child ended by signal " + std::to_string(WTERMSIG(status));
    munmap(reported, sizeof g_saveFailure);
    return failure;
}

// Puts a folder or a FIFO in the ranking's place.
void ReplaceRanking(bool fifo) {
    fs::remove("txt/Ranking/Ranking.txt");
    if (fifo) {
        mkfifo("txt/Ranking/Ranking.txt", 0666);
    } else {
        fs::create_directory("txt/Ranking/Ranking.txt");
    }
}

TEST(SaveScore, AFailedSaveChangesNothingAndSaysWhy) {
    if (geteuid() != 0) GTEST_SKIP() << "acting as user nobody needs root";
    const struct {
        std::function<void()> arrange;  // the player's folder, its Ranking.txt holding "1,2,3,"
        std::function<void()> inChild;  // the player's process, before it saves
        const char* failure;
    } cases[] = {
        {[] { chmod("txt/Ranking/Ranking.txt", 0444); }, {}, "Ranking.txt is read-only"},
        {[] { chmod("txt/Ranking", 0555); }, {}, "Ranking.txt.lock: Permission denied"},
        {[] { ReplaceRanking(false); }, {}, "Ranking.txt is not a regular file"},
        {[] { ReplaceRanking(true); }, {}, "Ranking.txt is not a regular file"},
        {[] { fs::remove_all("txt/Ranking"); }, {}, "Ranking.txt.lock: No such file or directory"},
        {[] { fs::create_directory("txt/Ranking/Ranking.txt.lock"); }, {}, "Ranking.txt.lock: Is a directory"},
        {[] { fs::create_symlink("Ranking.txt", "txt/Ranking/Ranking.txt.lock"); },
         {},
         "Ranking.txt.lock: Too many levels of symbolic links"},
        {{}, [] { LimitFileSize(true); }, "File too large"},
        {{}, [] { RefuseWrites("the installed data is read-only"); }, "the installed data is read-only"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        test::ScratchDir dir;
        fs::permissions(dir.Path(), fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
        test::WriteFile("txt/Ranking/Ranking.txt", "1,2,3,");
        ASSERT_EQ(chown("txt/Ranking", NOBODY, NOBODY), 0);
        ASSERT_EQ(chown("txt/Ranking/Ranking.txt", NOBODY, NOBODY), 0);
        if (c.arrange) c.arrange();
        std::set<std::string> before = Names("txt/Ranking");
        before.erase("Ranking.txt.lock");
        EXPECT_EQ(SaveAsPlayer(c.inChild), std::string("Score not saved: ") + c.failure);
        if (fs::is_regular_file("txt/Ranking/Ranking.txt")) {
            EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking.txt"), "1,2,3,");
        }
        std::set<std::string> after = Names("txt/Ranking");
        after.erase("Ranking.txt.lock");
        EXPECT_EQ(after, before);
    }
}

// A new ranking gets the mode the umask leaves, the lock only its owner's; an unreadable
// file damaged again and again leaves only the newest few set aside.
TEST(SaveScore, NewFilesHonourTheUmaskAndFewUnreadableFilesAreKept) {
    for (const mode_t mask : {022, 077}) {
        test::ScratchDir dir;
        fs::create_directories("txt/Ranking");
        const mode_t previous = umask(mask);
        SaveScore(1, RANKING);
        umask(previous);
        EXPECT_EQ(fs::status("txt/Ranking/Ranking.txt").permissions() & fs::perms::all,
                  static_cast<fs::perms>(0666 & ~mask));
        EXPECT_EQ(fs::status("txt/Ranking/Ranking.txt.lock").permissions() & fs::perms::all,
                  fs::perms::owner_read | fs::perms::owner_write);
    }
    test::ScratchDir dir;
    for (int damage = 1; damage <= 8; ++damage) {
        test::WriteFile("txt/Ranking/Ranking.txt", "x" + std::to_string(damage));
        SaveScore(1, RANKING);
    }
    std::set<std::string> kept;
    for (const std::string& name : Names("txt/Ranking")) {
        if (name.starts_with("Ranking.txt.unreadable-")) kept.insert(test::ReadFile("txt/Ranking/" + name));
    }
    EXPECT_EQ(kept, (std::set<std::string>{"x4", "x5", "x6", "x7", "x8"}));
}

// Another user holds the lock of a player (both ordinary users), as `flock -s` on a lock
// file an older version made readable by all: the player's save neither stalls the game
// nor fails; it says it waits and goes in once the lock is let go. The lock is then the
// player's alone: the other user can no longer open it.
TEST(SaveScore, ALockHeldByAnotherUserStallsNothingAndTheScoreGoesInWhenLetGo) {
    if (geteuid() != 0) GTEST_SKIP() << "acting as other users needs root";
    constexpr uid_t OTHER = NOBODY - 1;
    test::ScratchDir dir;
    fs::permissions(dir.Path(), fs::perms::all);
    test::WriteFile("txt/Ranking/Ranking.txt", "5,4,");
    test::WriteFile("txt/Ranking/Ranking.txt.lock", "");
    fs::permissions("txt/Ranking/Ranking.txt.lock", static_cast<fs::perms>(0644));
    for (const char* path : {"txt/Ranking", "txt/Ranking/Ranking.txt", "txt/Ranking/Ranking.txt.lock"}) {
        ASSERT_EQ(chown(path, NOBODY, NOBODY), 0);
    }
    int held[2];
    int release[2];
    ASSERT_EQ(pipe(held), 0);
    ASSERT_EQ(pipe(release), 0);
    const pid_t holder = fork();
    if (holder == 0) {
        char byte = 0;
        const int fd = setuid(OTHER) == 0 ? ::open("txt/Ranking/Ranking.txt.lock", O_RDONLY) : -1;
        if (fd < 0 || flock(fd, LOCK_SH) != 0 || write(held[1], "h", 1) != 1) _exit(1);
        _exit(read(release[0], &byte, 1) == 1 ? 0 : 1);
    }
    char byte = 0;
    ASSERT_EQ(read(held[0], &byte, 1), 1);
    // What the player's game shows right after the save and once it has ended.
    auto* shown = static_cast<char*>(mmap(nullptr, 2 * sizeof g_saveFailure, PROT_READ | PROT_WRITE,
                                          MAP_SHARED | MAP_ANONYMOUS, -1, 0));
    const pid_t player = fork();
    if (player == 0) {
        if (setgid(NOBODY) != 0 || setuid(NOBODY) != 0) _exit(1);
        alarm(1);  // far beyond a frame, far below the seconds a stalled save waited
        SaveScore(7, RANKING);
        alarm(0);
        std::memcpy(shown, g_saveFailure, sizeof g_saveFailure);
        FinishWaitingSave();
        std::memcpy(shown + sizeof g_saveFailure, g_saveFailure, sizeof g_saveFailure);
        _exit(FormatNumbers(RANKING_SIZE, g_ranking) == "7,5,4,0,0," ? 0 : 1);
    }
    for (int wait = 0; wait < 500 && shown[0] == '\0'; ++wait) usleep(10000);
    EXPECT_STREQ(shown, "Score waiting: Ranking.txt.lock is held by another process");
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking.txt"), "5,4,");
    ASSERT_EQ(write(release[1], "r", 1), 1);
    int status = 0;
    waitpid(holder, &status, 0);
    waitpid(player, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_STREQ(shown + sizeof g_saveFailure, "");
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking.txt"), "7,5,4,0,0,");
    munmap(shown, 2 * sizeof g_saveFailure);
    const pid_t again = fork();
    if (again == 0) _exit(setuid(OTHER) == 0 && ::open("txt/Ranking/Ranking.txt.lock", O_RDONLY) < 0 ? 0 : 1);
    waitpid(again, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the other user still opens the lock";
}

// Two games clearing at the same moments: every save enters its score into what the
// other has just saved. The scores of both are interleaved permutations, so the five best
// of all 200 come at scattered times; a save that wrote back what it read before the
// other's save would lose one for good.
TEST(SaveScore, TwoGamesSavingAtOnceLoseNoScore) {
    test::ScratchDir dir;
    test::WriteFile("txt/Ranking/Ranking.txt", "");
    for (int game = 0; game < 2; ++game) {
        if (fork() == 0) {
            for (int i = 0; i < 100; ++i) {
                SaveScore(static_cast<std::uint32_t>((i * (game == 0 ? 37 : 53)) % 100 * 2 + game), RANKING);
                FinishWaitingSave();
                if (g_saveFailure[0] != '\0') _exit(1);
            }
            _exit(0);
        }
    }
    for (int game = 0; game < 2; ++game) {
        int status = 0;
        wait(&status);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking.txt"), "199,198,197,196,195,");
}

}  // namespace
