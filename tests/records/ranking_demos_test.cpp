// The ranking's demos: each entry keeps its own, entries of equal score too, and no save
// renames one that stays.
#include "records/ranking_demos.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "records/numbers.h"
#include "records/ranking_save.h"
#include "tests/support/harness.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* KEPT_RANKING = "txt\\Ranking\\Ranking.txt";

std::string g_runOfTest;
std::string RunOfTest() { return g_runOfTest; }

std::set<std::string> KeptDemos() { return test::Names("txt/Ranking/demos"); }

// What each place's demo holds.
std::vector<std::string> PlaceDemos() {
    std::vector<std::string> held;
    for (int place = 0; place < RANKING_SIZE; ++place) {
        const std::string path = PlaceDemoPath(place, g_ranking, KEPT_RANKING);
        held.push_back(fs::exists(path) ? test::ReadFile(path) : "-");
    }
    return held;
}

void SaveWithRun(std::uint32_t score, const std::string& run) {
    g_runOfTest = run;
    SaveScore(score, KEPT_RANKING);
}

TEST(RankingDemos, EachEntryKeepsItsOwnDemoEqualScoresTooAndNoneMoves) {
    test::ScratchDir dir;
    g_runKeeping.runBytes = RunOfTest;
    test::WriteFile("txt/Ranking/Ranking.txt", "3000,2000,1000,500,100,");
    test::WriteFile("txt/Ranking/demos/3000-0.lbdemo", "a");
    test::WriteFile("txt/Ranking/demos/2000-0.lbdemo", "b");
    // An earlier version's name: the first entry of its score.
    test::WriteFile("txt/Ranking/demos/500.lbdemo", "d");
    test::WriteFile("txt/Ranking/demos/100-0.lbdemo", "e");
    test::WriteFile("txt/Ranking/demos/best.lbdemo", "best");
    test::WriteFile("txt/Ranking/demos/2000-x.lbdemo", "the player's own");

    SaveWithRun(2000, "f");
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking.txt"), "3000,2000,2000,1000,500,");
    EXPECT_EQ(PlaceDemos(), (std::vector<std::string>{"a", "b", "f", "-", "d"}));
    EXPECT_EQ(KeptDemos(), (std::set<std::string>{"3000-0.lbdemo", "2000-0.lbdemo", "2000-1.lbdemo", "500.lbdemo",
                                             "best.lbdemo", "2000-x.lbdemo"}));

    SaveWithRun(2000, "g");
    EXPECT_EQ(PlaceDemos(), (std::vector<std::string>{"a", "b", "f", "g", "-"}));
    EXPECT_FALSE(fs::exists("txt/Ranking/demos/500.lbdemo"));

    SaveWithRun(3000, "h");
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking.txt"), "3000,3000,2000,2000,2000,");
    EXPECT_EQ(PlaceDemos(), (std::vector<std::string>{"a", "h", "b", "f", "g"}));

    // Equal to the last of the five: it enters nothing, and nothing is written.
    SaveWithRun(2000, "i");
    EXPECT_EQ(PlaceDemos(), (std::vector<std::string>{"a", "h", "b", "f", "g"}));
    EXPECT_EQ(KeptDemos(), (std::set<std::string>{"3000-0.lbdemo", "3000-1.lbdemo", "2000-0.lbdemo", "2000-1.lbdemo",
                                             "2000-2.lbdemo", "best.lbdemo", "2000-x.lbdemo"}));

    SaveWithRun(4000, "j");
    EXPECT_EQ(PlaceDemos(), (std::vector<std::string>{"j", "a", "h", "b", "f"}));
    EXPECT_FALSE(fs::exists("txt/Ranking/demos/2000-2.lbdemo"));
}

// A run too long to keep costs its demo, never the score, and leaves no file of an
// earlier entry of that score in its place.
TEST(RankingDemos, ARunThatCannotBeKeptLeavesItsEntryWithoutADemo) {
    test::ScratchDir dir;
    g_runKeeping.runBytes = RunOfTest;
    test::WriteFile("txt/Ranking/Ranking.txt", "3000,2000,1000,500,100,");
    test::WriteFile("txt/Ranking/demos/1000.lbdemo", "c");
    testing::internal::CaptureStderr();
    SaveWithRun(1000, "");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("not kept in txt/Ranking/demos/1000-1.lbdemo: the run is past"),
              std::string::npos);
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking.txt"), "3000,2000,1000,1000,500,");
    EXPECT_EQ(PlaceDemos(), (std::vector<std::string>{"-", "-", "c", "-", "-"}));
}

}  // namespace
