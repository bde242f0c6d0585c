#include "ImageCheck.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <string_view>

namespace platform {
namespace {

constexpr std::size_t kMaxSheetBytes = 64 * 1024;  // 99 tracks with every remark fit in a tenth of this
constexpr int kMaxLines = 2000;
constexpr std::size_t kMaxLineBytes = 512;  // shorter than libcdio's line buffer, so it splits none
constexpr int kMaxTracks = 99;

bool IsRegular(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool SameWord(std::string_view word, std::string_view keyword) {
    if (word.size() != keyword.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(word[i])) != keyword[i]) return false;
    return true;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// The next word of `line` from `at`, spaces skipped.
std::string_view NextWord(std::string_view line, std::size_t& at) {
    while (at < line.size() && IsSpace(line[at])) ++at;
    const std::size_t from = at;
    while (at < line.size() && !IsSpace(line[at])) ++at;
    return line.substr(from, at - from);
}

// Reads at most kMaxSheetBytes + 1 bytes of a regular file, never waiting on
// anything but the file itself.
bool ReadSheet(const std::string& path, std::string& text) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return false;
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    text.resize(kMaxSheetBytes + 1);
    std::size_t got = 0;
    while (ok && got < text.size()) {
        const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    text.resize(got);
    return ok && got <= kMaxSheetBytes;
}

// The file a FILE line names, quoted or not, beside the sheet unless absolute.
bool FileOfLine(std::string_view line, std::size_t at, const std::string& folder, std::string& path) {
    while (at < line.size() && IsSpace(line[at])) ++at;
    std::string_view name;
    if (at < line.size() && line[at] == '"') {
        const std::size_t end = line.find('"', at + 1);
        if (end == std::string_view::npos) return false;
        name = line.substr(at + 1, end - at - 1);
    } else {
        name = NextWord(line, at);
    }
    if (name.empty()) return false;
    path = name.front() == '/' ? std::string(name) : folder + std::string(name);
    return true;
}

}  // namespace

bool CheckCueSheet(const std::string& cue, std::vector<std::string>& files) {
    std::string text;
    if (!ReadSheet(cue, text)) return false;
    const std::size_t slash = cue.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : cue.substr(0, slash + 1);

    int lines = 0, tracks = 0, lastTrack = 0;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string_view line(text.data() + start, end - start);
        start = end + 1;
        if (++lines > kMaxLines || line.size() > kMaxLineBytes) return false;
        // libcdio reads lines as C strings: a NUL would hide the rest of a line from it alone.
        if (line.find('\0') != std::string_view::npos) return false;

        std::size_t at = 0;
        const std::string_view keyword = NextWord(line, at);
        if (SameWord(keyword, "TRACK")) {
            const std::string_view number = NextWord(line, at);
            if (number.empty() || number.size() > 2) return false;
            int value = 0;
            for (char digit : number) {
                if (digit < '0' || digit > '9') return false;
                value = value * 10 + (digit - '0');
            }
            if (value <= lastTrack || value > kMaxTracks || ++tracks > kMaxTracks) return false;
            lastTrack = value;
        } else if (SameWord(keyword, "FILE")) {
            std::string path;
            if (!FileOfLine(line, at, folder, path) || !IsRegular(path)) return false;
            files.push_back(path);
        }
    }
    return tracks >= 1;
}

CheckedSource CheckSource(const std::string& source) {
    CheckedSource checked;
    struct stat info {};
    if (source.empty() || ::stat(source.c_str(), &info) != 0) return checked;
    if (S_ISBLK(info.st_mode)) {
        checked.kind = CheckedSource::Drive;
        checked.path = source;
        return checked;
    }
    if (!S_ISREG(info.st_mode)) return checked;

    // An image named by its .bin is read through the .cue beside it.
    std::string cue = source;
    const std::string_view tail = source.size() >= 4 ? std::string_view(source).substr(source.size() - 4) : "";
    if (tail == ".bin")
        cue.replace(cue.size() - 3, 3, "cue");
    else if (tail == ".BIN")
        cue.replace(cue.size() - 3, 3, "CUE");
    std::vector<std::string> files{cue};
    if (!IsRegular(cue) || !CheckCueSheet(cue, files)) return checked;
    checked.kind = CheckedSource::Image;
    checked.path = cue;
    checked.files = std::move(files);
    return checked;
}

}  // namespace platform
