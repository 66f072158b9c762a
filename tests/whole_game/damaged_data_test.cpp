// The whole ring with one data file damaged in turn (removed, cut to half its length, or
// replaced by random bytes; sounds the ring never plays only removed) or one field of the stage files given hostile numbers: every
// run goes round to the quit, whatever the damage makes the screens show.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "game/scene_state.h"
#include "platform/headless/headless.h"
#include "records/numbers.h"
#include "tests/whole_game/game_run.h"

namespace fs = std::filesystem;

namespace {

// The music the ring plays; a damaged piece among them must stay silent, as the engine
// leaves a file it cannot read. The other pieces and the effects are only ever opened, so
// of their damage only a missing file shows.
const std::set<std::string> RING_PIECES = {"BATTLE03.mid", "ENDING.mid", "GAMEOVER.mid", "OPENING.mid",
                                           "RANK.mid"};

void RunTheRing(const std::function<void()>& damage, const std::string& silentPiece = "") {
    whole::GameRun run(damage);
    bool played = false;
    if (!silentPiece.empty()) run.Watch([&] { played = played || headless::IsPlaying(silentPiece); });
    std::string failed;
    EXPECT_TRUE(whole::PlayWholeRing(run, &failed)) << "stopped at: " << failed;
    EXPECT_FALSE(played) << silentPiece << " played though damaged";
    // After a clear the results always leave a whole ranking behind: five "%d," numbers.
    if (std::count(run.Scenes().begin(), run.Scenes().end(), SCENE_CLEAR) > 0) {
        std::int32_t ranking[RANKING_SIZE] = {};
        ReadNumbers(RANKING_SIZE, ranking, "txt/Ranking/Ranking.txt");
        std::string expected;
        for (std::int32_t score : ranking) expected += std::to_string(score) + ",";
        EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking.txt"), expected);
    }
}

using FileDamage = std::tuple<std::string, std::string>;  // a path below data/, the damage

bool IsSound(const std::string& path) {
    const std::string extension = fs::path(path).extension().string();
    return extension == ".mid" || extension == ".wav";
}

std::vector<FileDamage> Damages() {
    const fs::path data = fs::path(LB_SOURCE_DIR) / "data";
    std::vector<std::string> paths;
    for (const auto& entry : fs::recursive_directory_iterator(data)) {
        if (entry.is_regular_file()) paths.push_back(entry.path().lexically_relative(data).generic_string());
    }
    std::sort(paths.begin(), paths.end());
    std::vector<FileDamage> damages;
    for (const std::string& path : paths) {
        for (const char* damage : {"removed", "halved", "random bytes"}) {
            if (std::string(damage) == "removed" || !IsSound(path) || RING_PIECES.contains(path)) {
                damages.emplace_back(path, damage);
            }
        }
    }
    return damages;
}

class DamagedData : public ::testing::TestWithParam<FileDamage> {};

TEST_P(DamagedData, TheRingGoesToItsEnd) {
    // Plain names, not a structured binding: clang 14 cannot capture one in a lambda.
    const std::string& path = std::get<0>(GetParam());
    const std::string& damage = std::get<1>(GetParam());
    RunTheRing([&] {
        std::string contents = test::ReadFile(path);
        if (damage == "removed") fs::remove(path);
        if (damage == "halved") contents.resize(contents.size() / 2);
        if (damage == "random bytes") {
            std::mt19937 random(20250601);
            for (char& c : contents) c = static_cast<char>(random() & 0xFF);
        }
        if (damage != "removed") test::WriteFile(path, contents);
    }, damage != "removed" && IsSound(path) ? path : "");
}

INSTANTIATE_TEST_SUITE_P(EachFile, DamagedData, ::testing::ValuesIn(Damages()));

// Numbers a stage file may hold though no sane one does: beyond int, negative, picture
// indices off the enemy sheet (35 lies partly below it, 255 far beyond).
const char* const HOSTILE[] = {"99999999999", "-99999999999", "255", "-1", "35"};
constexpr int ENEMY_FIELDS = 21;
constexpr int MAP_CODES = ENEMY_FIELDS;  // the parameter that stands for every map code

// One field of every enemy record (0 is the picture index), or every map code, the n-th
// number replaced by HOSTILE[n % 5]; the separators stay.
class DamagedField : public ::testing::TestWithParam<int> {};

TEST_P(DamagedField, TheRingGoesToItsEnd) {
    const int field = GetParam();
    const std::string path = field == MAP_CODES ? "txt/Map/Map.txt" : "txt/en.txt";
    RunTheRing([&] {
        const std::string text = test::ReadFile(path);
        std::string changed;
        for (std::size_t i = 0, place = 0, picked = 0; i < text.size();) {
            const std::size_t stop = std::min(text.find_first_of(",\r\n", i), text.size());
            const bool pick = stop > i && (field == MAP_CODES || place++ % ENEMY_FIELDS == static_cast<std::size_t>(field));
            changed += pick ? HOSTILE[picked++ % std::size(HOSTILE)] : text.substr(i, stop - i);
            changed += text.substr(stop, 1);
            i = stop + 1;
        }
        test::WriteFile(path, changed);
    });
}

INSTANTIATE_TEST_SUITE_P(EachStageField, DamagedField, ::testing::Range(0, MAP_CODES + 1));

}  // namespace
