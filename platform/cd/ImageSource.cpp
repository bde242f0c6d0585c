#include "ImageSource.h"

#include "CueSheet.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <utility>

namespace platform {
namespace {

// A regular file, opened without waiting on anything else (a FIFO, a device).
int OpenRegular(const std::string& path, struct stat& info) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd >= 0 && (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool SameLetters(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// `path` as it stands, or else the one entry of its folder that differs from it only in case.
bool Locate(std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 || errno != ENOENT) return true;
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = path.substr(folder.size());
    DIR* entries = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!entries) return false;
    int matches = 0;
    while (const dirent* entry = ::readdir(entries))
        if (SameLetters(entry->d_name, name) && ++matches == 1) path = folder + entry->d_name;
    ::closedir(entries);
    return matches == 1;
}

struct HeldFile {
    std::string path;
    int fd = -1;
    struct stat info {};

    ~HeldFile() {
        if (fd >= 0) ::close(fd);
    }
    // Its path still names the file opened.
    bool Named() const {
        struct stat now {};
        return ::stat(path.c_str(), &now) == 0 && now.st_dev == info.st_dev && now.st_ino == info.st_ino;
    }
};

class ImageSource final : public DiscSource {
public:
    // The sheet at `cue`; false when it, or the data file it names, is not one the game plays.
    bool Open(const std::string& cue) {
        sheet_.path = cue;
        if ((sheet_.fd = OpenRegular(cue, sheet_.info)) < 0) return false;
        std::string text;
        CueSheet sheet;
        if (!ReadCueText(sheet_.fd, text) || !ParseCueSheet(text, sheet)) return false;

        // The file as named beside the sheet, in any case; else the sheet's own .bin.
        const std::size_t slash = cue.rfind('/');
        const std::string folder = slash == std::string::npos ? std::string() : cue.substr(0, slash + 1);
        data_.path = sheet.file.front() == '/' ? sheet.file : folder + sheet.file;
        if (!Locate(data_.path)) {
            const std::size_t dot = cue.rfind('.');
            data_.path = (dot != std::string::npos && dot > folder.size() ? cue.substr(0, dot) : cue) + ".bin";
            if (!Locate(data_.path)) return false;
        }
        if ((data_.fd = OpenRegular(data_.path, data_.info)) < 0 || !sheet.SetLeadOut(data_.info.st_size)) return false;
        layout_ = sheet;
        toc_ = sheet.toc;
        return true;
    }

    // A sector the file does not hold to its end (cut short since) is silence.
    bool Read(std::int32_t first, int sectors, std::uint8_t* bytes) override {
        for (int n = 0; n < sectors; ++n) {
            std::uint8_t* sector = bytes + std::size_t(n) * kSectorBytes;
            std::size_t got = 0;
            const std::int32_t number = first + n;
            if (number >= 0 && number < toc_.leadOut && toc_.audio[toc_.TrackOf(number)]) {
                const std::int64_t at = layout_.ByteOf(number);
                while (got < std::size_t(kSectorBytes)) {
                    const ssize_t read = ::pread(data_.fd, sector + got, kSectorBytes - got, static_cast<off_t>(at + got));
                    if (read < 0 && errno == EINTR) continue;
                    if (read < 0) {
                        std::memset(sector + got, 0, std::size_t(sectors - n) * kSectorBytes - got);
                        return false;
                    }
                    if (read == 0) break;
                    got += static_cast<std::size_t>(read);
                }
            }
            std::memset(sector + got, 0, kSectorBytes - got);
            if (layout_.motorola)
                for (std::size_t i = 0; i + 1 < got; i += 2) std::swap(sector[i], sector[i + 1]);
        }
        return true;
    }

    // Removed, renamed or replaced by a rename: gone. Written over in place,
    // it plays what the file now holds.
    bool StillThere() override { return sheet_.Named() && data_.Named(); }

private:
    HeldFile sheet_, data_;
    CueSheet layout_;
};

}  // namespace

std::unique_ptr<DiscSource> OpenImage(const std::string& path) {
    // An image named by its .bin is read through the .cue beside it.
    std::string cue = path;
    const std::string_view tail = path.size() >= 4 ? std::string_view(path).substr(path.size() - 4) : "";
    if (tail == ".bin")
        cue.replace(cue.size() - 3, 3, "cue");
    else if (tail == ".BIN")
        cue.replace(cue.size() - 3, 3, "CUE");
    auto image = std::make_unique<ImageSource>();
    if (path.empty() || !image->Open(cue)) return nullptr;
    return image;
}

}  // namespace platform
