#include "records/numbers.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <filesystem>
#include <vector>

#include "tests/support/harness.h"

namespace {

using V = std::vector<std::int32_t>;

std::vector<std::int32_t> Read(const std::string& contents, std::vector<std::int32_t> values) {
    test::WriteFile("txt/Ranking/Ranking.txt", contents);
    ReadNumbers(static_cast<int>(values.size()), values.data(), "txt\\Ranking\\Ranking.txt");
    return values;
}

TEST(ReadNumbers, AcceptsCommasWhiteSpaceAndSigns) {
    test::ScratchDir dir;
    EXPECT_EQ(Read("598,597,600,0,12,", V(5, 0)), (V{598, 597, 600, 0, 12}));
    EXPECT_EQ(Read(" 1\n2,\t-3,\r\n+4 5", V(5, 0)), (V{1, 2, -3, 4, 5}));
    EXPECT_EQ(Read("-1,5,", V(5, 0)), (V{-1, 5, 0, 0, 0}));
}

TEST(ReadNumbers, StopsAtTheFirstTextThatIsNoNumber) {
    test::ScratchDir dir;
    // The stray ';' is never consumed, so every later read fails on it too.
    EXPECT_EQ(Read("1;2;3", V(5, 9)), (V{1, 9, 9, 9, 9}));
    // A comma parted from its number by a blank is met by the next read.
    EXPECT_EQ(Read("1 ,2,", V(3, 7)), (V{1, 7, 7}));
    EXPECT_EQ(Read("10,20,", V(5, 8)), (V{10, 20, 8, 8, 8}));
    EXPECT_EQ(Read("", V(2, 4)), (V{4, 4}));
}

TEST(ReadNumbers, MissingFileChangesNothing) {
    test::ScratchDir dir;
    V values{3, 4};
    ReadNumbers(2, values.data(), "txt\\Ranking\\Ranking.txt");
    EXPECT_EQ(values, (V{3, 4}));
}

TEST(ReadNumbers, FindsFilesWithoutRegardToCase) {
    test::ScratchDir dir;
    test::WriteFile("TXT/ranking/RANKING.TXT", "42,");
    V values{0};
    ReadNumbers(1, values.data(), "txt\\Ranking\\Ranking.txt");
    EXPECT_EQ(values[0], 42);
}

TEST(WriteNumbers, WritesEachNumberWithACommaAndNoLineBreak) {
    test::ScratchDir dir;
    std::filesystem::create_directories("txt/Ranking");
    const V values{7, -3, 0, 2147483647, -2147483647 - 1};
    WriteNumbers(5, values.data(), "txt\\Ranking\\Ranking2.txt");
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking2.txt"), "7,-3,0,2147483647,-2147483648,");
    const V zeros(5, 0);
    WriteNumbers(5, zeros.data(), "txt\\Ranking\\Ranking2.txt");
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking2.txt"), "0,0,0,0,0,");
}

TEST(WriteNumbers, MissingFolderWritesNothingAndDoesNotCrash) {
    test::ScratchDir dir;
    const V values{1, 2};
    WriteNumbers(2, values.data(), "txt\\Ranking\\Ranking2.txt");
    EXPECT_FALSE(std::filesystem::exists("txt"));
}

TEST(SaveNumbersAtomically, ReplacesTheFileWholeAndLeavesNoTemporaryBehind) {
    test::ScratchDir dir;
    test::WriteFile("txt/Ranking/Ranking.txt", "1,2,3,4,5,");
    const V values{900, 800, 700, 600, 500};
    SaveNumbersAtomically(5, values.data(), "txt\\Ranking\\Ranking.txt");
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking.txt"), "900,800,700,600,500,");
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("txt/Ranking")) {
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

TEST(SortDescending, OrdersAsUnsignedNumbers) {
    V values{1, 2, 3};
    SortDescending(3, values.data());
    EXPECT_EQ(values, (V{3, 2, 1}));

    values = {0, 5, -1, 12, -7, 5};
    SortDescending(6, values.data());
    // Negative values are huge as unsigned numbers; among them the one nearer zero wins.
    EXPECT_EQ(values, (V{-1, -7, 12, 5, 5, 0}));

    values = {2147483647, -2147483647 - 1};
    SortDescending(2, values.data());
    EXPECT_EQ(values, (V{-2147483647 - 1, 2147483647}));
}

TEST(SortDescending, SortsOnlyTheCountGiven) {
    V values{1, 2, 3, 99};
    SortDescending(3, values.data());
    EXPECT_EQ(values, (V{3, 2, 1, 99}));
}

}  // namespace

namespace {

// A save cut short (the process killed mid-write, or the disk full) leaves the old
// ranking whole.
void SaveWithFileSizeLimit(bool killOnLimit) {
    const pid_t child = fork();
    if (child == 0) {
        struct rlimit limit {4, 4};
        setrlimit(RLIMIT_FSIZE, &limit);
        if (!killOnLimit) signal(SIGXFSZ, SIG_IGN);
        const std::int32_t values[5] = {99999, 88888, 77777, 66666, 55555};
        SaveNumbersAtomically(5, values, "txt\\Ranking\\Ranking.txt");
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
}

TEST(SaveNumbersAtomically, AnInterruptedWriteLeavesTheOldFileWhole) {
    test::ScratchDir dir;
    test::WriteFile("txt/Ranking/Ranking.txt", "1,2,3,4,5,");
    SaveWithFileSizeLimit(true);
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking.txt"), "1,2,3,4,5,");
    SaveWithFileSizeLimit(false);
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking.txt"), "1,2,3,4,5,");
    std::vector<std::int32_t> values(5, 0);
    ReadNumbers(5, values.data(), "txt\\Ranking\\Ranking.txt");
    EXPECT_EQ(values, (V{1, 2, 3, 4, 5}));
}

}  // namespace
