// The lock file beside a file: put there by a link, which fails where a
// file has the name, on network and FUSE mounts across machines too.
#include "LockFile.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

// A lock file or a copy this old was left by a game that was killed or lost its
// mount: storing a run takes a small part of it even on a slow network.
constexpr std::time_t kLeftOverSeconds = 60;

bool LeftOver(const struct stat& info, std::time_t folderNow) { return folderNow - info.st_mtime > kLeftOverSeconds; }

std::time_t FolderNow(int madeJustNow) {
    struct stat made;
    return madeJustNow >= 0 && ::fstat(madeJustNow, &made) == 0 ? made.st_mtime : std::time(nullptr);
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

namespace {

// A lock file names its holder, so that one whose game has ended is seen: "Torvane <PID> <host> <boot> <PID
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
    std::string own = name + "." + std::string(kLineTag) + "XXXXXX";
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

}  // namespace

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
            errno != EEXIST) {
            [[maybe_unused]] const int linked = ::link(aside.c_str(), name.c_str());
        }
        ::unlink(aside.c_str());
        if (!same) return LockFile::Held;
    }
    return LockFile::Held;
}


void LetGoOfLockFile(const std::string& name, int made) {
    // Unless another game took it over meanwhile as left: theirs stays. Its
    // line tells where a file system names every file at a path alike.
    struct stat ours, named;
    if (::fstat(made, &ours) == 0 && ::lstat(name.c_str(), &named) == 0 && SameFile(ours, named) &&
        LineAt(name) == HolderLine())
        ::unlink(name.c_str());
    ::close(made);
}

}  // namespace platform
