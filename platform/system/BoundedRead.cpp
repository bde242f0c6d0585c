#include "BoundedRead.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

namespace platform {

bool ReadFilePrefix(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    if (path.empty()) return false;
    // Non-blocking, so that a FIFO by that name cannot hang the game.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    if (ok) {
        bytes.resize(std::min<std::uint64_t>(static_cast<std::uint64_t>(info.st_size), maxBytes));
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t got = read(fd, bytes.data() + done, bytes.size() - done);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) break;  // the file shrank: keep what was there
            done += static_cast<std::size_t>(got);
        }
        bytes.resize(done);
    }
    close(fd);
    if (!ok) bytes.clear();
    return ok;
}

std::string JoinPath(const std::string& directory, const std::string& name) {
    if (directory.empty() || name.empty() || name.front() == '/') return name;
    return (std::filesystem::path(directory) / name).string();
}

}  // namespace platform
