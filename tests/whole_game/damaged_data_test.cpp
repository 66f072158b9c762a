// The scripted whole run with one data file damaged in turn: removed, cut to half its
// length, or replaced by random bytes. Every run goes round the ring to the quit,
// whatever the damage makes the screens show.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iostream>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "game/scene_state.h"
#include "records/numbers.h"
#include "tests/whole_game/game_run.h"

namespace fs = std::filesystem;

namespace {

enum Damage { REMOVED, HALVED, RANDOM_BYTES };
const char* const DAMAGE_NAMES[] = {"Removed", "Halved", "RandomBytes"};
using Param = std::tuple<std::string, Damage>;  // path below data/, forward slashes

std::vector<std::string> DataFiles() {
    const fs::path data = fs::path(LB_SOURCE_DIR) / "data";
    std::vector<std::string> paths;
    for (const auto& entry : fs::recursive_directory_iterator(data)) {
        if (entry.is_regular_file()) paths.push_back(entry.path().lexically_relative(data).generic_string());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

void Apply(const std::string& path, Damage damage) {
    std::string contents = test::ReadFile(path);
    std::mt19937 random(20250601);
    if (damage == REMOVED) fs::remove(path);
    if (damage == HALVED) contents.resize(contents.size() / 2);
    if (damage == RANDOM_BYTES) {
        for (char& c : contents) c = static_cast<char>(random() & 0xFF);
    }
    if (damage != REMOVED) test::WriteFile(path, contents);
}

class DamagedData : public ::testing::TestWithParam<Param> {};

TEST_P(DamagedData, TheScriptedRunGoesToItsEnd) {
    const auto& [path, damage] = GetParam();
    whole::GameRun run([&] { Apply(path, damage); });
    std::string failed;
    EXPECT_TRUE(whole::PlayWholeRing(run, &failed)) << "stopped at: " << failed;
    EXPECT_EQ(run.ExitCode(), 0);

    const bool cleared = std::count(run.Scenes().begin(), run.Scenes().end(), SCENE_CLEAR) > 0;
    std::cout << "stage " << (cleared ? "cleared" : "left with A") << '\n';
    // After a clear the results always leave a whole ranking behind: five "%d," numbers.
    if (cleared) {
        std::int32_t ranking[RANKING_SIZE] = {};
        ReadNumbers(RANKING_SIZE, ranking, "txt/Ranking/Ranking.txt");
        std::string expected;
        for (std::int32_t score : ranking) expected += std::to_string(score) + ",";
        EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking.txt"), expected);
    }
}

std::string NameOf(const ::testing::TestParamInfo<Param>& param) {
    const auto& [path, damage] = param.param;
    std::string name = path;
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return name + "_" + DAMAGE_NAMES[damage];
}

INSTANTIATE_TEST_SUITE_P(EachFile, DamagedData,
                         ::testing::Combine(::testing::ValuesIn(DataFiles()),
                                            ::testing::Values(REMOVED, HALVED, RANDOM_BYTES)),
                         NameOf);

}  // namespace
