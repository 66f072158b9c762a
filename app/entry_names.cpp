#include "app/entry_names.h"

#include <algorithm>
#include <iterator>

#include "app/demo_run.h"
#include "records/numbers.h"

namespace {

bool g_read = false;
std::int32_t g_readFor[RANKING_SIZE] = {};
overlay::Signature g_names[RANKING_SIZE];

void ReadNames() {
    g_read = true;
    std::copy(g_ranking, g_ranking + RANKING_SIZE, g_readFor);
    for (int place = 0; place < RANKING_SIZE; ++place) {
        Demo demo;
        g_names[place] = overlay::Signature{};
        if (!ReadPlaceDemo(place, &demo) || demo.header.format < 3) continue;
        g_names[place].name = demo.header.player;
        g_names[place].date = static_cast<std::int64_t>(demo.header.date);
    }
}

}  // namespace

void FillEntryNames(bool onRanking, overlay::Signature* entries) {
    if (!onRanking) {
        g_read = false;
        return;
    }
    if (!g_read || !std::equal(g_ranking, g_ranking + RANKING_SIZE, g_readFor)) ReadNames();
    std::copy(std::begin(g_names), std::end(g_names), entries);
}
