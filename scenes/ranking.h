// The ranking screen: sliding panel behind opening blinds.
#pragma once

void RankingInit();
void RankingFrame();
