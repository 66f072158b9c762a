// The number files: the input holds the enemy file, the map file and the ranking file,
// split at '|' bytes (a missing part is a missing file). The ranking is read and shown,
// the stage is loaded and played for two frames with the sword swung.
#include <cstring>
#include <filesystem>

#include "game/game_frame.h"
#include "game/stage.h"
#include "platform/headless/headless.h"
#include "records/numbers.h"
#include "scenes/ranking.h"
#include "tests/fuzz/fuzz_env.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Prepare();
    std::size_t start = 0;
    for (const char* path : {"txt/en.txt", "txt/Map/Map.txt", "txt/Ranking/Ranking.txt"}) {
        if (start > size) {
            std::filesystem::remove(path);
            continue;
        }
        const auto* bar = static_cast<const std::uint8_t*>(std::memchr(data + start, '|', size - start));
        const std::size_t end = bar == nullptr ? size : static_cast<std::size_t>(bar - data);
        fuzz::WriteInput(path, data + start, end - start);
        start = end + 1;
    }

    ReadNumbers(RANKING_SIZE, g_ranking, "txt\\Ranking\\Ranking.txt");
    SortDescending(RANKING_SIZE, g_ranking);
    RankingInit();

    LoadStage();
    headless::PressKey('Z');
    headless::PressKey(VK_RIGHT);
    headless::Advance(20);
    GameFrame();
    headless::ReleaseKey('Z');
    headless::Advance(20);
    GameFrame();
    return 0;
}
