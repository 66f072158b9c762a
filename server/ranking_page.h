// The world ranking page: the board's first places, each with a link that plays its
// run in the browser game, and what the board does and does not prove.
#pragma once

#include <string>
#include <vector>

#include "server/runs.h"

std::string RankingPage(const std::vector<BoardEntry>& board);
// Its style sheet, served beside it: the page runs under a policy without inline style.
extern const char RANKING_STYLE[];
// A time in milliseconds since 1970 as an ISO 8601 UTC date and time.
std::string IsoTime(std::int64_t ms);
