#include "app/user_scores.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/host/files.h"
#include "platform/host/user_dirs.h"

namespace fs = std::filesystem;

namespace {

constexpr char RANKING_FOLDER[] = "txt\\Ranking";
constexpr char RANKING_FILE[] = "txt\\Ranking\\Ranking.txt";
constexpr char SHIPPED_DEMOS[] = "txt\\Ranking\\demos";

// A folder, not a link to one.
bool RealFolder(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(fs::symlink_status(path, error));
}

bool Exists(const fs::path& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

std::string Contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Whether the copy still holds what was installed: a file the player edited is theirs.
bool SameBytes(const fs::path& copy, const fs::path& installed) {
    std::error_code error;
    const auto size = fs::file_size(copy, error);
    return !error && size == fs::file_size(installed, error) && !error && Contents(copy) == Contents(installed);
}

// An earlier version copied the whole data tree into the scores folder and played there.
// Its ranking files move up into the folder (one already there wins); the files copied
// from the installed tree go, with the folders they leave empty, and so does that
// version's lock beside the folder. The player's own files stay, and so does a copied
// file the player has edited. True when anything changed.
bool TidyOldCopy(const fs::path& folder, const fs::path& installedData) {
    std::error_code error;
    bool changed = false;
    std::vector<fs::path> oldRanking;
    const fs::path rankingFolder = folder / "txt" / "Ranking";
    if (RealFolder(folder / "txt") && RealFolder(rankingFolder)) {
        for (fs::directory_iterator it(rankingFolder, error), end; !error && it != end; it.increment(error)) {
            if (!it->is_directory(error) || it->is_symlink(error)) oldRanking.push_back(it->path());
        }
    }
    for (const fs::path& file : oldRanking) {
        const fs::path kept = folder / file.filename();
        if (!Exists(kept) && std::rename(file.c_str(), kept.c_str()) == 0) changed = true;
    }
    std::vector<fs::path> folders;
    for (fs::recursive_directory_iterator it(installedData, error), end; !error && it != end; it.increment(error)) {
        const fs::path relative = it->path().lexically_relative(installedData);
        const fs::path copied = folder / relative;
        if (it->is_directory(error)) {
            // A link in the copy leads out of it: nothing behind it was copied by the game.
            if (RealFolder(copied)) {
                folders.push_back(copied);
            } else {
                it.disable_recursion_pending();
            }
        } else if (relative.parent_path() == fs::path("txt/Ranking")) {
            continue;  // a player's scores, never removed
        } else if (fs::is_regular_file(fs::symlink_status(copied, error)) && SameBytes(copied, it->path()) &&
                   fs::remove(copied, error)) {
            changed = true;
        }
    }
    // Children sort after their parents, so the deepest go first.
    std::sort(folders.rbegin(), folders.rend());
    for (const fs::path& copied : folders) {
        if (fs::is_empty(copied, error) && fs::remove(copied, error)) changed = true;
    }
    const fs::path oldLock = folder.parent_path() / ".lantern-blade.lock";
    if (fs::is_regular_file(fs::symlink_status(oldLock, error)) && fs::remove(oldLock, error)) changed = true;
    return changed;
}

// The ranking a new player starts from, as installed.
std::string ShippedRanking(const fs::path& installedData) {
    return Contents(installedData / "txt" / "Ranking" / "Ranking.txt");
}

// A player's first start begins with the shipped ranking and the runs its entries keep,
// written under the lock a save takes, so that a game saving at the same moment never has
// its score overwritten; the runs first, so that the ranking never names a run not there.
// Only a first start comes here: a later one must not wait on another game's save.
void StartRankingFrom(const std::string& shipped, const fs::path& installedData) {
    std::string failure;
    const int lock = LockGameFile(RANKING_FILE, LockWait::FewSeconds, &failure);
    if (lock < 0) return;
    if (!Exists(ResolvePath(RANKING_FILE))) {
        std::error_code error;
        fs::create_directories(fs::path(ResolvePath(SHIPPED_DEMOS)), error);
        for (fs::directory_iterator it(installedData / "txt" / "Ranking" / "demos", error), end; !error && it != end;
             it.increment(error)) {
            const std::string kept = std::string(SHIPPED_DEMOS) + "\\" + it->path().filename().string();
            if (it->is_regular_file(error)) ReplaceFileAtomically(kept.c_str(), Contents(it->path()), &failure);
        }
        ReplaceFileAtomically(RANKING_FILE, shipped, &failure);
    }
    UnlockGameFile(lock);
}

}  // namespace

void KeepScoresPerUser(const fs::path& installedData) {
    const fs::path folder = ScoresFolder();
    std::string failure = "neither XDG_DATA_HOME nor HOME names a folder";
    if (folder.empty() || !MakePrivateFolder(folder, &failure)) {
        std::fprintf(stderr, "lantern-blade: no folder for the scores (%s): scores are not saved\n", failure.c_str());
        RefuseWrites("no folder for the scores");
        return;
    }
    // Data installed into the scores folder itself is the player's own copy: it plays in place.
    std::error_code error;
    if (fs::equivalent(folder, installedData, error)) return;
    if (TidyOldCopy(folder, installedData)) {
        std::fprintf(stderr,
                     "lantern-blade: the scores of your old copy of the game data in %s are kept there; "
                     "its copied data files are removed (the game now reads them where it is installed)\n",
                     folder.c_str());
    }
    KeepFolderElsewhere(RANKING_FOLDER, folder);
    if (Exists(ResolvePath(RANKING_FILE))) return;
    const std::string shipped = ShippedRanking(installedData);
    if (!shipped.empty()) StartRankingFrom(shipped, installedData);
}
