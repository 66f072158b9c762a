// The scripted whole run on the shipped data with one file damaged in turn: removed,
// cut to half its length, or replaced by random bytes. Every run goes round the ring to
// the quit, whatever the damage makes the screens show.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "game/scene_state.h"
#include "tests/support/harness.h"
#include "tests/whole_game/game_run.h"

namespace fs = std::filesystem;

namespace {

enum class Damage { Removed, Halved, RandomBytes };

struct DamagedFile {
    std::string path;  // relative to the data folder, forward slashes
    Damage damage;
};

const char* DamageName(Damage damage) {
    switch (damage) {
    case Damage::Removed: return "Removed";
    case Damage::Halved: return "Halved";
    case Damage::RandomBytes: return "RandomBytes";
    }
    return "";
}

void PrintTo(const DamagedFile& file, std::ostream* out) {
    *out << file.path << ' ' << DamageName(file.damage);
}

std::vector<DamagedFile> EveryDamage() {
    const fs::path data = fs::path(LB_SOURCE_DIR) / "data";
    std::vector<std::string> paths;
    for (const auto& entry : fs::recursive_directory_iterator(data)) {
        if (entry.is_regular_file()) {
            paths.push_back(entry.path().lexically_relative(data).generic_string());
        }
    }
    std::sort(paths.begin(), paths.end());
    std::vector<DamagedFile> all;
    for (const std::string& path : paths) {
        for (Damage damage : {Damage::Removed, Damage::Halved, Damage::RandomBytes}) {
            all.push_back({path, damage});
        }
    }
    return all;
}

std::string NameOf(const ::testing::TestParamInfo<DamagedFile>& param) {
    std::string name = param.param.path;
    std::replace_if(
        name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); },
        '_');
    return name + "_" + DamageName(param.param.damage);
}

void Apply(const DamagedFile& file) {
    const std::string contents = test::ReadFile(file.path);
    switch (file.damage) {
    case Damage::Removed:
        fs::remove(file.path);
        break;
    case Damage::Halved:
        test::WriteFile(file.path, contents.substr(0, contents.size() / 2));
        break;
    case Damage::RandomBytes: {
        std::mt19937 random(20250601);
        std::string noise(contents.size(), '\0');
        for (char& c : noise) c = static_cast<char>(random() & 0xFF);
        test::WriteFile(file.path, noise);
        break;
    }
    }
}

class DamagedData : public ::testing::TestWithParam<DamagedFile> {
protected:
    test::ScratchDir dir_;
};

TEST_P(DamagedData, TheScriptedRunGoesToItsEnd) {
    test::CopyRealData();
    Apply(GetParam());
    whole::GameRun run;
    std::string failed;
    EXPECT_TRUE(whole::PlayWholeRing(run, &failed)) << "stopped at: " << failed;
    EXPECT_EQ(run.ExitCode(), 0);

    const std::vector<int>& scenes = run.Scenes();
    const bool cleared = std::find(scenes.begin(), scenes.end(), SCENE_CLEAR) != scenes.end();
    std::cout << "stage " << (cleared ? "cleared" : "left with A") << '\n';
    // After a clear the results always leave a whole ranking behind.
    if (cleared) {
        EXPECT_TRUE(std::regex_match(test::ReadFile("txt/Ranking/Ranking.txt"),
                                     std::regex("(-?[0-9]+,){5}")));
    }
}

INSTANTIATE_TEST_SUITE_P(EachFile, DamagedData, ::testing::ValuesIn(EveryDamage()), NameOf);

}  // namespace
