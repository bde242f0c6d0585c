// Files on the local file system, through POSIX calls.
#include "PlayerBackends.h"
#include "PosixFiles.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string_view>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

struct PosixFile final : File {
    explicit PosixFile(int descriptor) : fd(descriptor) {}
    int fd;
};
int Fd(File* file) { return static_cast<PosixFile*>(file)->fd; }

// Anything that is not a regular file once opened (a FIFO, a device put there
// meanwhile) counts as a failed open: reading it could block for ever.
File* Adopt(int fd) {
    if (fd < 0) return nullptr;
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return new PosixFile(fd);
}

// The folder part of a path, and the name in it.
std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}
std::string NameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// A copy is named "<file>.new-" and the six characters mkostemp puts in
// place of its X: a shape no player's own file beside it (a "score.drr.backup")
// takes, so removing what a killed game left never removes theirs.
constexpr std::string_view kCopyTag = "new-";

bool IsCopySuffix(std::string_view suffix) {
    if (!suffix.starts_with(kCopyTag)) return false;
    suffix.remove_prefix(kCopyTag.size());
    return suffix.size() == 6 && std::all_of(suffix.begin(), suffix.end(), [](char c) {
               return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
           });
}

// A lock file or a copy this old was left by a game that was killed or lost its
// mount: storing a run takes a small part of it even on a slow network.
constexpr std::time_t kLeftOverSeconds = 60;

// Ages are read off the clock of the machine that holds the folder: a file
// made there just now tells it (a client's own clock may be minutes off).
bool LeftOver(const struct stat& info, std::time_t folderNow) { return folderNow - info.st_mtime > kLeftOverSeconds; }
std::time_t FolderNow(int madeJustNow) {
    struct stat made;
    return madeJustNow >= 0 && ::fstat(madeJustNow, &made) == 0 ? made.st_mtime : std::time(nullptr);
}

// A lock file beside the score file holds it where the file system keeps no
// locks: made with O_EXCL, which network and FUSE mounts honour across
// machines. It names its holder, so that one whose game has ended is seen.
constexpr std::string_view kLockSuffix = ".lock";
constexpr std::string_view kHolderTag = "Torvane ";

std::string HostName() {
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    return host;
}

std::string HolderLine() {
    return std::string(kHolderTag) + std::to_string(::getpid()) + " " + HostName() + "\n";
}

// Whether a holder line (or what was read of it) is ours, and its holder a
// game on this machine that has ended.
bool IsHolderLine(std::string_view line) { return line.empty() || line.starts_with(kHolderTag); }
bool HolderGone(std::string_view line) {
    if (line.empty()) return false;
    line.remove_prefix(kHolderTag.size());
    const std::size_t space = line.find(' ');
    const std::size_t end = line.find('\n');
    if (space == std::string_view::npos || end == std::string_view::npos || end < space) return false;
    if (line.substr(space + 1, end - space - 1) != HostName()) return false;
    const long pid = std::strtol(std::string(line.substr(0, space)).c_str(), nullptr, 10);
    return pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

enum class LockFile { Taken, Held, Refused };

// Makes the lock file, or takes over one its holder left. Refused: the folder
// takes no new file, or something not ours has the name.
LockFile TakeLockFile(const std::string& name, int& made) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        made = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (made >= 0) {
            const std::string line = HolderLine();
            // One that stays empty is still a lock, until it is old.
            [[maybe_unused]] const ssize_t ignored = ::write(made, line.data(), line.size());
            return LockFile::Taken;
        }
        if (errno != EEXIST) return LockFile::Refused;

        const int other = ::open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (other < 0) {
            if (errno == ENOENT) continue;  // let go of meanwhile
            return errno == ELOOP ? LockFile::Refused : LockFile::Held;
        }
        struct stat judged;
        char text[300];
        const bool regular = ::fstat(other, &judged) == 0 && S_ISREG(judged.st_mode);
        const ssize_t got = regular ? ::read(other, text, sizeof text) : -1;
        ::close(other);
        if (got < 0) return LockFile::Held;
        const std::string_view line(text, static_cast<std::size_t>(got));
        if (!IsHolderLine(line)) return LockFile::Refused;

        // Moved aside to a name of our own before it goes, so that of two games
        // taking over the same left lock only one removes it; a newer lock moved
        // by mistake is put back.
        std::string aside = name + ".old-XXXXXX";
        const int reserved = ::mkostemp(aside.data(), O_CLOEXEC);
        if (reserved < 0) return LockFile::Held;
        const bool left = LeftOver(judged, FolderNow(reserved)) || HolderGone(line);
        ::close(reserved);
        if (!left) {
            ::unlink(aside.c_str());
            return LockFile::Held;
        }
        struct stat moved;
        if (::rename(name.c_str(), aside.c_str()) != 0 || ::stat(aside.c_str(), &moved) != 0) {
            ::unlink(aside.c_str());
            return LockFile::Held;
        }
        const bool same = moved.st_dev == judged.st_dev && moved.st_ino == judged.st_ino;
        // Put back unless a newer one was made meanwhile: a rename that never
        // replaces, or a link where the file system has no such rename.
        if (!same && ::renameat2(AT_FDCWD, aside.c_str(), AT_FDCWD, name.c_str(), RENAME_NOREPLACE) != 0 &&
            errno == EINVAL) {
            [[maybe_unused]] const int linked = ::link(aside.c_str(), name.c_str());
        }
        ::unlink(aside.c_str());
        if (!same) return LockFile::Held;
    }
    return LockFile::Held;
}

}  // namespace

PosixFiles::PosixFiles(LockCall lockCall) : lockCall_(lockCall ? lockCall : ::flock) {}

File* PosixFiles::Open(const std::string& path, FileAccess access, OpenResult& result) {
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) {
        result = errno == ENOENT ? OpenResult::NoSuchFile : OpenResult::CannotOpen;
        return nullptr;
    }
    const int flags = access == FileAccess::Read ? O_RDONLY : access == FileAccess::Write ? O_WRONLY : O_RDWR;
    File* file = S_ISREG(info.st_mode) ? Adopt(::open(path.c_str(), flags | O_CLOEXEC)) : nullptr;
    result = file ? OpenResult::Opened : OpenResult::CannotOpen;
    return file;
}

// No O_TRUNC: a table another game wrote since the path was found empty is kept.
File* PosixFiles::Create(const std::string& path) {
    return Adopt(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
}

bool PosixFiles::Lock(File* file, const std::string& path) {
    Unlock(path);
    // The file's own lock, where the file system keeps one, tells off games
    // that only look at it; the lock file holds across mounts and machines.
    const bool onFile = lockCall_(Fd(file), LOCK_EX | LOCK_NB) == 0;
    if (!onFile && errno == EWOULDBLOCK) return false;
    Hold hold;
    switch (TakeLockFile(path + std::string(kLockSuffix), hold.lockFile)) {
    case LockFile::Taken:
        break;
    case LockFile::Held:
        return false;
    case LockFile::Refused:
        // A read-only folder: only the file's own lock holds it, and only while
        // it is open.
        if (!onFile || (hold.keptOpen = ::fcntl(Fd(file), F_DUPFD_CLOEXEC, 0)) < 0) return false;
        break;
    }
    holds_[path] = hold;
    // Another game may have put its copy in the file's place between our open
    // and the lock: the file we hold is then no longer the one at the path.
    struct stat held, named;
    if (::fstat(Fd(file), &held) == 0 && ::stat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
        held.st_ino == named.st_ino)
        return true;
    Unlock(path);
    return false;
}

void PosixFiles::Unlock(const std::string& path) {
    const auto it = holds_.find(path);
    if (it == holds_.end()) return;
    const Hold hold = it->second;
    holds_.erase(it);
    if (hold.lockFile >= 0) {
        // Unless another game took it over meanwhile as left: theirs stays.
        const std::string name = path + std::string(kLockSuffix);
        struct stat ours, named;
        if (::fstat(hold.lockFile, &ours) == 0 && ::stat(name.c_str(), &named) == 0 && ours.st_dev == named.st_dev &&
            ours.st_ino == named.st_ino)
            ::unlink(name.c_str());
        ::close(hold.lockFile);
    }
    if (hold.keptOpen >= 0) ::close(hold.keptOpen);
}

std::string PosixFiles::Resolve(const std::string& path) {
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real) return path;
    std::string resolved = real;
    std::free(real);
    return resolved;
}

std::size_t PosixFiles::Read(File* file, std::uint8_t* bytes, std::size_t limit, bool& failed) {
    failed = false;
    std::size_t got = 0;
    while (got < limit) {
        const ssize_t n = ::read(Fd(file), bytes + got, limit - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) failed = true;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    return got;
}

bool PosixFiles::WriteAt(File* file, std::size_t offset, const std::uint8_t* bytes, std::size_t size) {
    std::size_t put = 0;
    while (put < size) {
        const ssize_t n = ::pwrite(Fd(file), bytes + put, size - put, static_cast<off_t>(offset + put));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        put += static_cast<std::size_t>(n);
    }
    return true;
}

bool PosixFiles::SetSize(File* file, std::size_t size) { return ::ftruncate(Fd(file), static_cast<off_t>(size)) == 0; }

bool PosixFiles::Flush(File* file) { return ::fsync(Fd(file)) == 0; }

bool PosixFiles::Close(File* file) {
    const bool kept = ::close(Fd(file)) == 0;
    delete file;
    return kept;
}

File* PosixFiles::CreateBeside(const std::string& beside, std::string& made) {
    struct stat old;
    const bool replacing = ::stat(beside.c_str(), &old) == 0;
    if (replacing && old.st_nlink > 1) return nullptr;  // its other names would keep the old file
    std::string name = beside + "." + std::string(kCopyTag) + "XXXXXX";
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return nullptr;
    // It is to take the old file's place, so it takes its owner, group and
    // rights; a file whose owner we cannot give it is not ours to replace.
    struct stat copy;
    const bool same = !replacing ||
                      (::fstat(fd, &copy) == 0 &&
                       ((copy.st_uid == old.st_uid && copy.st_gid == old.st_gid) ||
                        ::fchown(fd, old.st_uid, old.st_gid) == 0) &&
                       ::fchmod(fd, old.st_mode & 07777) == 0);
    if (!same) {
        ::close(fd);
        ::unlink(name.c_str());
        return nullptr;
    }
    made = name;
    return new PosixFile(fd);
}

void PosixFiles::RemoveLeftCopies(const std::string& beside) {
    const std::string name = NameOf(beside) + ".";
    DIR* folder = ::opendir(FolderOf(beside).c_str());
    if (!folder) return;
    const auto held = holds_.find(beside);
    const std::time_t now = FolderNow(held == holds_.end() ? -1 : held->second.lockFile);
    while (const dirent* entry = ::readdir(folder)) {
        if (std::strncmp(entry->d_name, name.c_str(), name.size()) != 0 || !IsCopySuffix(entry->d_name + name.size()))
            continue;
        struct stat info;
        // A young one may be another game's, on another mount, still being written.
        if (::fstatat(::dirfd(folder), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode) &&
            LeftOver(info, now))
            ::unlinkat(::dirfd(folder), entry->d_name, 0);
    }
    ::closedir(folder);
}

bool PosixFiles::Replace(const std::string& from, const std::string& to) {
    if (std::rename(from.c_str(), to.c_str()) != 0) return false;
    // The new name must outlast a power cut too; the move is done either way.
    const int fd = ::open(FolderOf(to).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    return true;
}

bool PosixFiles::Remove(const std::string& path) { return ::unlink(path.c_str()) == 0; }

std::unique_ptr<Files> MakePosixFiles() {
    // A write past the file-size limit then fails like any other write,
    // instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    return std::make_unique<PosixFiles>();
}

}  // namespace platform
