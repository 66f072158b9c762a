// Where an installed game keeps what it writes: its data is read in place from the
// installed tree, and the ranking folder lives per user.
#pragma once

#include <filesystem>

// Plays from the installed data at `installedData` (the working directory) with the ranking
// files in ScoresFolder(), made private to the user on the first start and given the
// shipped ranking with the runs its entries keep. A player's copy of the whole data tree
// there, as earlier versions made it, keeps its scores and loses its copied data files,
// once, with a line on stderr. Without a folder for the scores the game plays and saves
// nothing, and says so.
void KeepScoresPerUser(const std::filesystem::path& installedData);
