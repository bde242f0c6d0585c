// Files on the local file system, through POSIX calls.
#include "PlayerBackends.h"
#include "LockFile.h"
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
// takes, so removing what a killed game left never removes theirs. So are the
// lock's own: its line before it is linked into place, and an old lock moved
// aside to be removed (of any kind, as a lock found may be).
constexpr std::string_view kCopyTag = "new-";
struct LeftShape {
    std::string_view tag;
    bool anyKind;
};
constexpr LeftShape kLeftShapes[] = {{"new-", false}, {"lock.new-", false}, {"lock.old-", true}};

const LeftShape* LeftShapeOf(std::string_view suffix) {
    for (const LeftShape& shape : kLeftShapes) {
        if (!suffix.starts_with(shape.tag)) continue;
        const std::string_view rest = suffix.substr(shape.tag.size());
        if (rest.size() == 6 && std::all_of(rest.begin(), rest.end(), [](char c) {
                return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
            }))
            return &shape;
    }
    return nullptr;
}

// The score file opened for its own lock alone: never a FIFO or a device.
// Made where it is missing and no lock file holds, or its first run could never be stored.
int OpenToLock(const std::string& path, bool create) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (create ? O_CREAT : 0), 0666);
    struct stat info;
    if (fd >= 0 && (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

PosixFiles::PosixFiles(LockCall lockCall, StatCall statCall)
    : lockCall_(lockCall ? lockCall : ::flock), statCall_(statCall ? statCall : ::fstat) {}

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

bool PosixFiles::Lock(const std::string& path) {
    Unlock(path);
    Hold hold;
    const LockFile lockFile = TakeLockFile(path + std::string(kLockSuffix), hold.lockFile);
    if (lockFile == LockFile::Held) return false;
    holds_[path] = hold;
    // The file's own lock, where the file system keeps one, tells off games
    // that only look at it, and holds alone where no lock file can be made.
    // It is taken after the lock file, on the file then at the path, and kept
    // on a descriptor of its own past the game's close of the file.
    const int own = OpenToLock(path, lockFile == LockFile::Refused);
    holds_[path].keptOpen = own;
    const bool onFile = own >= 0 && lockCall_(own, LOCK_EX | LOCK_NB) == 0;
    const bool othersHold = own >= 0 && !onFile && errno == EWOULDBLOCK;
    // A game holding only the file's own lock may have put its copy in the
    // file's place before ours took: the file locked is then not the one at the path.
    struct stat locked, named;
    const bool current = !onFile || (statCall_(own, &locked) == 0 && ::stat(path.c_str(), &named) == 0 &&
                                     SameFile(locked, named));
    if (!othersHold && current && (onFile || lockFile == LockFile::Taken)) return true;
    Unlock(path);
    return false;
}

void PosixFiles::Unlock(const std::string& path) {
    const auto it = holds_.find(path);
    if (it == holds_.end()) return;
    const Hold hold = it->second;
    holds_.erase(it);
    if (hold.lockFile >= 0) LetGoOfLockFile(path + std::string(kLockSuffix), hold.lockFile);
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
        const LeftShape* shape =
            std::strncmp(entry->d_name, name.c_str(), name.size()) == 0 ? LeftShapeOf(entry->d_name + name.size()) : nullptr;
        struct stat info;
        // A young one may be another game's, on another mount, still being written.
        if (shape && ::fstatat(::dirfd(folder), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            (S_ISREG(info.st_mode) || (shape->anyKind && !S_ISDIR(info.st_mode))) && LeftOver(info, now))
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
