// The scripted whole run with one data file damaged in turn: removed, cut to half its
// length, or replaced by random bytes; or one field of the stage files given hostile
// numbers. Every run goes round the ring to the quit, whatever the damage makes the
// screens show.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
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

// Goes round the ring on the data as `damage` left it.
void RunTheRing(const std::function<void()>& damage) {
    whole::GameRun run(damage);
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

class DamagedData : public ::testing::TestWithParam<Param> {};

TEST_P(DamagedData, TheScriptedRunGoesToItsEnd) {
    const auto& [path, damage] = GetParam();
    RunTheRing([&] { Apply(path, damage); });
}

// Numbers a stage file may hold though no sane one does: beyond int, negative, picture
// indices off the enemy sheet (35 lies partly below it, 255 far beyond).
const char* const HOSTILE[] = {"99999999999", "-99999999999", "255", "-1", "35"};
constexpr int ENEMY_FIELDS = 21;
constexpr int MAP_CODES = ENEMY_FIELDS;  // the parameter that stands for every map code

// Replaces the numbers of the file for which `pick` (given the number's place) holds by
// hostile ones, the n-th such number by HOSTILE[n % 5]; the separators stay.
void ReplaceNumbers(const std::string& path, const std::function<bool(int)>& pick) {
    const std::string text = test::ReadFile(path);
    std::string changed;
    for (std::size_t i = 0, place = 0, picked = 0; i < text.size();) {
        const std::size_t end = text.find_first_of(",\r\n", i);
        const std::size_t stop = end == std::string::npos ? text.size() : end;
        if (stop > i && pick(static_cast<int>(place++))) {
            changed += HOSTILE[picked++ % std::size(HOSTILE)];
        } else {
            changed += text.substr(i, stop - i);
        }
        changed += text.substr(stop, 1);
        i = stop + 1;
    }
    test::WriteFile(path, changed);
}

// One field of every enemy record (0 is the picture index), or every map code.
class DamagedField : public ::testing::TestWithParam<int> {};

TEST_P(DamagedField, TheScriptedRunGoesToItsEnd) {
    const int field = GetParam();
    RunTheRing([field] {
        if (field == MAP_CODES) {
            ReplaceNumbers("txt/Map/Map.txt", [](int) { return true; });
        } else {
            ReplaceNumbers("txt/en.txt", [field](int place) { return place % ENEMY_FIELDS == field; });
        }
    });
}

std::string NameOf(const ::testing::TestParamInfo<Param>& param) {
    const auto& [path, damage] = param.param;
    std::string name = path;
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return name + "_" + DAMAGE_NAMES[damage];
}

INSTANTIATE_TEST_SUITE_P(EachStageField, DamagedField, ::testing::Range(0, MAP_CODES + 1));

INSTANTIATE_TEST_SUITE_P(EachFile, DamagedData,
                         ::testing::Combine(::testing::ValuesIn(DataFiles()),
                                            ::testing::Values(REMOVED, HALVED, RANDOM_BYTES)),
                         NameOf);

}  // namespace
