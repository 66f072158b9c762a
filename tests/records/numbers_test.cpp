#include "records/numbers.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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

TEST(ReadNumbers, AcceptsCommasWhiteSpaceAndSignsAndSaturatesAtTheIntLimits) {
    test::ScratchDir dir;
    EXPECT_EQ(Read("598,597,600,0,12,", V(5, 0)), (V{598, 597, 600, 0, 12}));
    EXPECT_EQ(Read(" 1\n2,\t-3,\r\n+4 5", V(5, 0)), (V{1, 2, -3, 4, 5}));
    EXPECT_EQ(Read("-1,5,", V(5, 0)), (V{-1, 5, 0, 0, 0}));
    EXPECT_EQ(Read("\xEF\xBB\xBF" "3000,2500,\r\n", V(3, 0)), (V{3000, 2500, 0}));
    constexpr std::int32_t MAX = 2147483647, MIN = -MAX - 1;
    EXPECT_EQ(Read("99999999999,-99999999999,2147483648,-2147483649,-2147483648,", V(5, 0)),
              (V{MAX, MIN, MAX, MIN, MIN}));
}

TEST(HoldsOnlyNumbers, TellsNumbersFromAnythingTheReaderWouldStopAt) {
    test::ScratchDir dir;
    const std::pair<std::string, bool> cases[] = {
        {"", true},
        {"1,2,3,4,5,6,7,", true},
        {"\xEF\xBB\xBF 1,\r\n-2\n", true},
        {"1;2;3", false},
        {std::string("\0\x01\xff" "garbage", 10), false},
        {"3000,2500,abc", false},
        {"\xEF\xBB" "3000,", false},
    };
    for (const auto& [contents, numbers] : cases) {
        test::WriteFile("txt/Ranking/Ranking.txt", contents);
        EXPECT_EQ(HoldsOnlyNumbers("txt\\Ranking\\Ranking.txt"), numbers) << contents;
    }
    EXPECT_TRUE(HoldsOnlyNumbers("txt\\Ranking\\Missing.txt"));
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

// A FIFO in the file's place would block the start until something wrote to it.
TEST(ReadNumbers, AMissingFileOrOneThatIsNoRegularFileChangesNothing) {
    test::ScratchDir dir;
    alarm(10);
    V values{3, 4};
    ReadNumbers(2, values.data(), "txt\\Ranking\\Ranking.txt");
    std::filesystem::create_directories("txt/Ranking/Ranking.txt");
    ReadNumbers(2, values.data(), "txt\\Ranking\\Ranking.txt");
    std::filesystem::remove("txt/Ranking/Ranking.txt");
    ASSERT_EQ(mkfifo("txt/Ranking/Ranking.txt", 0644), 0);
    ReadNumbers(2, values.data(), "txt\\Ranking\\Ranking.txt");
    EXPECT_EQ(values, (V{3, 4}));
    alarm(0);
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

