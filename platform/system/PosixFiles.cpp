// Files on the local file system, through POSIX calls.
#include "PlayerBackends.h"
#include "PosixFiles.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
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

}  // namespace

File* PosixFiles::Open(const std::string& path, FileAccess access, OpenResult& result) {
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) {
        result = errno == ENOENT ? OpenResult::NoSuchFile : OpenResult::CannotOpen;
        return nullptr;
    }
    File* file = S_ISREG(info.st_mode)
                     ? Adopt(::open(path.c_str(), (access == FileAccess::Read ? O_RDONLY : O_WRONLY) | O_CLOEXEC))
                     : nullptr;
    result = file ? OpenResult::Opened : OpenResult::CannotOpen;
    return file;
}

File* PosixFiles::Create(const std::string& path) {
    return Adopt(::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
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

bool PosixFiles::Flush(File* file) { return ::fsync(Fd(file)) == 0; }

bool PosixFiles::Close(File* file) {
    const bool kept = ::close(Fd(file)) == 0;
    delete file;
    return kept;
}

File* PosixFiles::CreateBeside(const std::string& beside, std::string& made) {
    std::string name = beside + ".XXXXXX";
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return nullptr;
    // It is to take the old file's place, so it takes its rights too, and its
    // owner where that is allowed.
    struct stat old;
    if (::stat(beside.c_str(), &old) == 0) {
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
            // someone else's file: the copy stays ours, with the same rights
        }
        if (::fchmod(fd, old.st_mode & 07777) != 0) {
            ::close(fd);
            ::unlink(name.c_str());
            return nullptr;
        }
    }
    made = name;
    return new PosixFile(fd);
}

bool PosixFiles::Replace(const std::string& from, const std::string& to) {
    if (std::rename(from.c_str(), to.c_str()) != 0) return false;
    // The new name must outlast a power cut too; the move is done either way.
    const std::size_t slash = to.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : to.substr(0, slash);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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
