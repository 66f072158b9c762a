#include "records/numbers.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "tests/support/harness.h"

namespace {

using V = std::vector<std::int32_t>;
constexpr const char* PATH = "txt\\Ranking\\Ranking.txt";

// Commas, white space, signs and a byte order mark are read; numbers saturate at the int
// limits; the first text that is no number stops the reading (the rest stay as they were)
// and makes the file unreadable, unless all the numbers asked for were read before it.
TEST(ReadNumbers, ReadsUntilTheFirstTextThatIsNoNumberAndSaturates) {
    test::ScratchDir dir;
    constexpr std::int32_t MAX = 2147483647, MIN = -MAX - 1;
    const struct {
        std::string contents;
        V before, after;
        bool readable;  // the numbers asked for read, or only fewer numbers are there
    } cases[] = {
        {" 1\n2,\t-3,\r\n+4 5", V(5, 0), {1, 2, -3, 4, 5}, true},
        {"\xEF\xBB\xBF" "3000,2500,\r\n", V(3, 0), {3000, 2500, 0}, true},
        {"99999999999,-99999999999,2147483648,-2147483649,-2147483648,", V(5, 0),
         {MAX, MIN, MAX, MIN, MIN}, true},
        {"-1,5,", V(5, 8), {-1, 5, 8, 8, 8}, true},
        {"", V(2, 4), {4, 4}, true},
        {"1;2;3", V(5, 9), {1, 9, 9, 9, 9}, false},  // the stray ';' stops every later read too
        {"1 ,2,", V(3, 7), {1, 7, 7}, false},        // a comma parted by a blank is met by the next read
        {"3000,2500,abc", V(3, 7), {3000, 2500, 7}, false},
        {"600,598,597,12,0,x", V(5, 0), {600, 598, 597, 12, 0}, true},
        {"\xEF\xBB" "3000,", V(1, 7), {7}, false},
        {std::string("\0\x01\xff" "garbage", 10), V(1, 7), {7}, false},
    };
    for (const auto& c : cases) {
        test::WriteFile("txt/Ranking/Ranking.txt", c.contents);
        V values = c.before;
        ReadNumbers(static_cast<int>(values.size()), values.data(), PATH);
        EXPECT_EQ(values, c.after) << c.contents;
        EXPECT_EQ(ReadsAsNumbers(static_cast<int>(values.size()), PATH), c.readable) << c.contents;
    }
}

// A FIFO in the file's place would block the start until something wrote to it.
TEST(ReadNumbers, AMissingFileOrOneThatIsNoRegularFileChangesNothing) {
    test::ScratchDir dir;
    alarm(10);
    V values{3, 4};
    ReadNumbers(2, values.data(), PATH);
    EXPECT_TRUE(ReadsAsNumbers(2, PATH));
    std::filesystem::create_directories("txt/Ranking/Ranking.txt");
    ReadNumbers(2, values.data(), PATH);
    std::filesystem::remove("txt/Ranking/Ranking.txt");
    ASSERT_EQ(mkfifo("txt/Ranking/Ranking.txt", 0644), 0);
    ReadNumbers(2, values.data(), PATH);
    EXPECT_EQ(values, (V{3, 4}));
    alarm(0);
}

// Negative values are huge as unsigned numbers; among them the one nearer zero wins. Only
// the count given is sorted.
TEST(SortDescending, OrdersTheCountGivenAsUnsignedNumbers) {
    const std::pair<V, V> cases[] = {
        {{1, 2, 3, 99}, {3, 2, 1, 99}},
        {{0, 5, -1, 12, -7, 5, 99}, {-1, -7, 12, 5, 5, 0, 99}},
        {{2147483647, -2147483647 - 1, 99}, {-2147483647 - 1, 2147483647, 99}},
    };
    for (auto [values, sorted] : cases) {
        SortDescending(static_cast<int>(values.size()) - 1, values.data());
        EXPECT_EQ(values, sorted);
    }
}

}  // namespace

TEST(PlaceOf, AboveBetweenEqualToAndBelowTheFive) {
    const std::int32_t ranking[RANKING_SIZE] = {3200, 2400, 1600, 1000, 500};
    EXPECT_EQ(PlaceOf(ranking, 3439), 1);
    EXPECT_EQ(PlaceOf(ranking, 2000), 3);
    // Level with an entry: after it, the earlier run keeps its place.
    EXPECT_EQ(PlaceOf(ranking, 2400), 3);
    EXPECT_EQ(PlaceOf(ranking, 501), 5);
    EXPECT_EQ(PlaceOf(ranking, 500), 0);
    EXPECT_EQ(PlaceOf(ranking, 499), 0);
    EXPECT_EQ(PlaceOf(ranking, 0), 0);
    // Negative entries rank above everything, as the table compares them.
    const std::int32_t negative[RANKING_SIZE] = {-1, 6000, 0, 0, 0};
    EXPECT_EQ(PlaceOf(negative, 6000), 3);
    EXPECT_EQ(PlaceOf(negative, 1), 3);
    EXPECT_EQ(PlaceOf(negative, 0), 0);
}
