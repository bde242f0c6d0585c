// The lock file beside a file, that holds it where the file system keeps no
// locks, and the ages by which what a killed game left is told.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

struct stat;

namespace platform {

// "<file>.lock"; its line before it is linked into place is "<file>.lock.new-"
// and six characters, an old one moved aside to be removed "<file>.lock.old-".
constexpr std::string_view kLockSuffix = ".lock";
constexpr std::string_view kLineTag = "new-";
constexpr std::string_view kAsideTag = "old-";

// Whether a file is old enough to have been left by a game that was killed or
// lost its mount, by the clock of the machine that holds the folder: read off
// a file made there just now, or this machine's clock when there is none (-1).
bool LeftOver(const struct stat& info, std::time_t folderNow);
std::time_t FolderNow(int madeJustNow);
bool SameFile(const struct stat& a, const struct stat& b);

enum class LockFile { Taken, Held, Refused };

// Makes the lock file `name` holding this game's line (its descriptor goes to
// `made`), or takes over one its holder left. Held: another game's, young or
// live. Refused: the folder takes no new file, or what has the name is not
// ours, or is left but cannot be removed; the file's own lock must then hold alone.
LockFile TakeLockFile(const std::string& name, int& made);
// Removes the lock file taken as `made`, unless another game has taken it over.
void LetGoOfLockFile(const std::string& name, int made);

}  // namespace platform
