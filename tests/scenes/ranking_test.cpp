// The ranking screen: five-digit columns, and the line that tells of a failed save.
#include <algorithm>
#include <cstring>
#include <vector>

#include "game/scene_state.h"
#include "records/numbers.h"
#include "records/ranking_save.h"
#include "tests/scenes/scene_fixture.h"

namespace {

// Entry i's column is at x = 370 - 60 i; a negative entry shows as 00000. While the last
// save has failed, one line at the foot of the screen says so, black on a white box.
TEST_F(SceneTest, RankingShowsFiveDigitsAColumnAndAFailedSave) {
    const std::int32_t entries[5] = {123456, 6000, 235, 0, -5};
    std::copy(entries, entries + 5, g_ranking);
    const auto foot = [this] {
        Open(SCENE_RANKING_INIT, SCENE_RANKING);
        for (int i = 0; i < 114; ++i) Frame();
        std::vector<std::uint8_t> row;
        for (int x = 0; x < 200; ++x) row.push_back(PixelAt(x, 472));
        return row;
    };
    const std::vector<std::uint8_t> without = foot();
    const char* shown[5] = {"23456", "06000", "00235", "00000", "00000"};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(DigitsAt(370 - 60 * i, 370, 0, -34), shown[i]) << i;
    std::strcpy(g_saveFailure, "Score not saved: No space left on device");
    const std::vector<std::uint8_t> with = foot();
    EXPECT_GT(std::count(with.begin(), with.end(), with[0]), 20);
    EXPECT_NE(with, without);
}

}  // namespace
