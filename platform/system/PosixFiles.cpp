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
#include <limits>
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
constexpr std::string_view kLockSuffix = ".lock";
constexpr std::string_view kAsideTag = "old-";
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
bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// A lock file beside the score file holds it where the file system keeps no
// locks: put there by a link, which fails where a file has the name, on
// network and FUSE mounts across machines too. It names its holder, so that
// one whose game has ended is seen: "Torvane <PID> <host> <boot> <PID
// namespace>". A PID tells a game only within its namespace and boot; a line
// that names less (an older game's) is judged by its age alone.
constexpr std::string_view kHolderTag = "Torvane ";
constexpr std::size_t kLineLimit = 512;

// A fact of this game's, or "-" where it cannot be read (never anyone's own).
std::string Fact(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\0')) text.pop_back();
    return text.empty() ? "-" : text;
}
std::string HostName() {
    char host[256] = {};
    return Fact(::gethostname(host, sizeof host - 1) == 0 ? host : "");
}
std::string BootId() {
    char boot[64] = {};
    const int fd = ::open("/proc/sys/kernel/random/boot_id", O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        [[maybe_unused]] const ssize_t got = ::read(fd, boot, sizeof boot - 1);
        ::close(fd);
    }
    return Fact(boot);
}
std::string PidSpace() {
    char space[64] = {};
    const ssize_t got = ::readlink("/proc/self/ns/pid", space, sizeof space - 1);
    return Fact(got > 0 ? std::string(space, static_cast<std::size_t>(got)) : "");
}

std::string HolderLine() {
    return std::string(kHolderTag) + std::to_string(::getpid()) + " " + HostName() + " " + BootId() + " " + PidSpace() +
           "\n";
}

// Whether a holder line (or what was read of it) is ours, and its holder a
// game of this boot and PID namespace that has ended.
bool IsHolderLine(std::string_view line) { return line.empty() || line.starts_with(kHolderTag); }
bool HolderGone(std::string_view line) {
    const std::size_t end = line.find('\n');
    if (!line.starts_with(kHolderTag) || end == std::string_view::npos) return false;
    line = line.substr(kHolderTag.size(), end - kHolderTag.size());
    std::string_view fields[4];
    for (std::string_view& field : fields) {
        const std::size_t space = line.find(' ');
        field = line.substr(0, space);
        line = space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
    }
    const std::string_view pidText = fields[0];
    if (!line.empty() || pidText.empty() || pidText.size() > 9 ||
        !std::all_of(pidText.begin(), pidText.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    const std::string own[] = {HostName(), BootId(), PidSpace()};
    for (int i = 0; i < 3; ++i)
        if (own[i] == "-" || fields[i + 1] != own[i]) return false;
    const long pid = std::strtol(std::string(pidText).c_str(), nullptr, 10);
    return pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

std::string LineAt(const std::string& name) {
    char text[kLineLimit];
    const int fd = ::open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    const ssize_t got = fd >= 0 ? ::read(fd, text, sizeof text) : -1;
    if (fd >= 0) ::close(fd);
    return got > 0 ? std::string(text, static_cast<std::size_t>(got)) : std::string();
}

bool WriteAll(int fd, const std::string& text) {
    std::size_t put = 0;
    while (put < text.size()) {
        const ssize_t n = ::write(fd, text.data() + put, text.size() - put);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        put += static_cast<std::size_t>(n);
    }
    return true;
}

// Puts a lock file holding this game's line at `name`: the line goes to a
// file of its own first, then is linked into place, so that no game finds a
// lock without its line. Where the file system has no links it is made in
// place. Its descriptor, opened at `name`; or -1 with errno (EEXIST: there
// is one).
int PlaceLockFile(const std::string& name) {
    std::string own = name + "." + std::string(kCopyTag) + "XXXXXX";
    const int fd = ::mkostemp(own.data(), O_CLOEXEC);
    if (fd < 0) return -1;
    const std::string line = HolderLine();
    const bool written = ::fchmod(fd, 0644) == 0 && WriteAll(fd, line);
    bool placed = written && ::link(own.c_str(), name.c_str()) == 0;
    int error = written || errno != EEXIST ? errno : EIO;
    if (written && !placed && (error == EPERM || error == EOPNOTSUPP || error == ENOSYS)) {
        // One killed before its line is written is judged by its age.
        const int made = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        placed = made >= 0 && WriteAll(made, line);
        error = made < 0 || placed || errno != EEXIST ? errno : EIO;
        if (made >= 0) ::close(made);
        if (made >= 0 && !placed) ::unlink(name.c_str());
    }
    ::unlink(own.c_str());
    // Held open at its name, which is what a later check of it looks up.
    const int held = placed ? ::open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC) : -1;
    ::close(fd);
    if (placed && held < 0) {
        ::unlink(name.c_str());
        error = EIO;
    }
    errno = error;
    return held;
}

// What is found at the lock file's name, opened only when it is a regular
// file: a FIFO or a device could block or answer.
struct Found {
    enum { Gone, NotOurs, Judged } what;
    struct stat info;
    bool readable;
    std::string line;
};
Found Look(const std::string& name) {
    Found found{Found::Judged, {}, false, {}};
    if (::lstat(name.c_str(), &found.info) != 0) {
        found.what = errno == ENOENT ? Found::Gone : Found::Judged;
        if (found.what == Found::Judged) found.info.st_mtime = std::numeric_limits<std::time_t>::max();  // young
        return found;
    }
    if (S_ISLNK(found.info.st_mode)) return {Found::NotOurs, found.info, false, {}};
    if (!S_ISREG(found.info.st_mode)) return found;
    const int fd = ::open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) found.what = Found::Gone;
        return found;  // unreadable: judged by its age
    }
    char text[kLineLimit];
    const ssize_t got = ::fstat(fd, &found.info) == 0 && S_ISREG(found.info.st_mode) ? ::read(fd, text, sizeof text) : -1;
    ::close(fd);
    found.readable = got >= 0;
    if (found.readable) found.line.assign(text, static_cast<std::size_t>(got));
    if (found.readable && !IsHolderLine(found.line)) found.what = Found::NotOurs;
    return found;
}

enum class LockFile { Taken, Held, Refused };

// Makes the lock file, or takes over one its holder left. Refused: the folder
// takes no new file, or what has the name is not ours, or is left but cannot
// be removed; the file's own lock must then hold alone.
LockFile TakeLockFile(const std::string& name, int& made) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        made = PlaceLockFile(name);
        if (made >= 0) return LockFile::Taken;
        const bool cannotMake = errno != EEXIST;
        const Found found = Look(name);
        if (found.what == Found::Gone && !cannotMake) continue;  // let go of meanwhile
        if (found.what != Found::Judged) return LockFile::Refused;

        // Moved aside to a name of our own before it goes, so that of two games
        // taking over the same left lock only one removes it; a newer lock moved
        // by mistake is put back.
        std::string aside = name + "." + std::string(kAsideTag) + "XXXXXX";
        const int reserved = ::mkostemp(aside.data(), O_CLOEXEC);
        const bool left = LeftOver(found.info, FolderNow(reserved)) || (found.readable && HolderGone(found.line));
        if (reserved >= 0) ::close(reserved);
        if (!left || reserved < 0) {
            if (reserved >= 0) ::unlink(aside.c_str());
            // Left but in a folder that takes no new file: ignored, as one not ours.
            return left ? LockFile::Refused : LockFile::Held;
        }
        if (S_ISDIR(found.info.st_mode)) {
            ::unlink(aside.c_str());
            // rmdir removes only an empty folder, never a lock another game made meanwhile.
            if (::rmdir(name.c_str()) == 0 || errno == ENOENT || errno == ENOTDIR) continue;
            return LockFile::Refused;
        }
        struct stat moved;
        if (::rename(name.c_str(), aside.c_str()) != 0 || ::lstat(aside.c_str(), &moved) != 0) {
            ::unlink(aside.c_str());
            return LockFile::Held;
        }
        const bool same = SameFile(moved, found.info);
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

// The score file opened for its own lock alone: never a FIFO or a device.
int OpenToLock(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
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
    const int own = OpenToLock(path);
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
    if (hold.lockFile >= 0) {
        // Unless another game took it over meanwhile as left: theirs stays. Its
        // line tells where a file system names every file at a path alike.
        const std::string name = path + std::string(kLockSuffix);
        struct stat ours, named;
        if (::fstat(hold.lockFile, &ours) == 0 && ::lstat(name.c_str(), &named) == 0 && SameFile(ours, named) &&
            LineAt(name) == HolderLine())
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
