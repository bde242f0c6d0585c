#include "CueSheet.h"

#include <unistd.h>

#include <cerrno>
#include <cctype>

namespace platform {
namespace {

constexpr int kMaxLines = 2000;
constexpr std::size_t kMaxLineBytes = 512;
constexpr std::int64_t kMaxSectors = std::int64_t(1) << 30;  // far past any disc, well inside a sector number

struct TrackType {
    std::string_view name;
    int block;
    bool audio;
};
constexpr TrackType kTrackTypes[] = {
    {"AUDIO", 2352, true},       {"MODE1/2048", 2048, false}, {"MODE1/2352", 2352, false}, {"MODE2/2048", 2048, false},
    {"MODE2/2324", 2324, false}, {"MODE2/2336", 2336, false}, {"MODE2/2352", 2352, false},
};

// Words that tell about the disc and place nothing on it.
constexpr std::string_view kRemarks[] = {"REM",     "CATALOG",  "CDTEXTFILE", "TITLE",   "PERFORMER", "SONGWRITER",
                                         "COMPOSER", "ARRANGER", "MESSAGE",    "ISRC",    "FLAGS",     "DISC_ID",
                                         "GENRE",    "UPC_EAN",  "SIZE_INFO",  "TOC_INFO1", "TOC_INFO2"};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

bool Same(std::string_view word, std::string_view keyword) {
    if (word.size() != keyword.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(word[i])) != keyword[i]) return false;
    return true;
}

std::string_view Word(std::string_view line, std::size_t& at) {
    while (at < line.size() && IsSpace(line[at])) ++at;
    const std::size_t from = at;
    while (at < line.size() && !IsSpace(line[at])) ++at;
    return line.substr(from, at - from);
}

bool Number(std::string_view digits, std::size_t most, int& value) {
    if (digits.empty() || digits.size() > most) return false;
    value = 0;
    for (char digit : digits) {
        if (digit < '0' || digit > '9') return false;
        value = value * 10 + (digit - '0');
    }
    return true;
}

// mm:ss:ff, in sectors.
bool Time(std::string_view word, std::int32_t& sector) {
    const std::size_t first = word.find(':'), second = first == std::string_view::npos ? first : word.find(':', first + 1);
    if (second == std::string_view::npos) return false;
    int minutes = 0, seconds = 0, frames = 0;
    if (!Number(word.substr(0, first), 3, minutes) || !Number(word.substr(first + 1, second - first - 1), 2, seconds) ||
        !Number(word.substr(second + 1), 2, frames) || seconds >= 60 || frames >= 75)
        return false;
    sector = (minutes * 60 + seconds) * 75 + frames;
    return true;
}

// FILE's name, quoted or one word, then its type; nothing after.
bool FileLine(std::string_view line, std::size_t at, CueSheet& sheet) {
    while (at < line.size() && IsSpace(line[at])) ++at;
    if (at < line.size() && line[at] == '"') {
        const std::size_t end = line.find('"', at + 1);
        if (end == std::string_view::npos) return false;
        sheet.file = std::string(line.substr(at + 1, end - at - 1));
        at = end + 1;
        if (at < line.size() && !IsSpace(line[at])) return false;
    } else {
        sheet.file = std::string(Word(line, at));
    }
    const std::string_view type = Word(line, at);
    sheet.motorola = Same(type, "MOTOROLA");
    return !sheet.file.empty() && (sheet.motorola || Same(type, "BINARY")) && Word(line, at).empty();
}

struct Track {
    std::int32_t index0 = -1, index1 = -1;  // -1: not given
};

// The track just read, placed after the one before it.
bool Place(CueSheet& sheet, int track, const Track& read) {
    DiscToc& toc = sheet.toc;
    const std::int32_t previous = track > 1 ? toc.index1[track - 1] : -1;
    if (read.index1 < 0 || read.index1 <= previous) return false;
    const std::int32_t run = read.index0 >= 0 ? read.index0 : read.index1;
    if (run <= previous || run > read.index1) return false;  // the track before keeps a sector of its sound
    toc.index1[track] = read.index1;
    toc.run[track] = run;
    sheet.fileByte[track] = track == 1 ? std::int64_t(run) * sheet.block[1]
                                       : sheet.fileByte[track - 1] + std::int64_t(run - toc.run[track - 1]) * sheet.block[track - 1];
    return true;
}

}  // namespace

std::int64_t CueSheet::ByteOf(std::int32_t sector) const {
    const int track = toc.TrackOf(sector);
    return fileByte[track] + std::int64_t(sector - toc.run[track]) * block[track];
}

bool CueSheet::SetLeadOut(std::int64_t bytes) {
    const int last = toc.count;
    if (last < 1 || bytes < fileByte[last]) return false;
    const std::int64_t leadOut = toc.run[last] + (bytes - fileByte[last]) / block[last];
    if (leadOut <= toc.index1[last] || leadOut > kMaxSectors) return false;
    toc.leadOut = static_cast<std::int32_t>(leadOut);
    return true;
}

bool ParseCueSheet(std::string_view text, CueSheet& sheet) {
    sheet = {};
    if (text.size() > CueSheet::kMaxBytes || text.find('\0') != std::string_view::npos) return false;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // a UTF-8 mark some rippers write
    bool haveFile = false;
    int tracks = 0, lines = 0;
    Track track;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (++lines > kMaxLines || line.size() > kMaxLineBytes) return false;

        std::size_t at = 0;
        const std::string_view keyword = Word(line, at);
        int number = 0;
        std::int32_t sector = 0;
        if (keyword.empty()) continue;
        if (Same(keyword, "FILE")) {
            if (haveFile || !FileLine(line, at, sheet)) return false;  // one data file, before any track
            haveFile = true;
        } else if (Same(keyword, "TRACK")) {
            if (!haveFile || (tracks > 0 && !Place(sheet, tracks, track))) return false;
            if (!Number(Word(line, at), 3, number) || number != tracks + 1 || number > DiscToc::kMaxTracks) return false;
            const std::string_view type = Word(line, at);
            const TrackType* found = nullptr;
            for (const TrackType& kind : kTrackTypes)
                if (Same(type, kind.name)) found = &kind;
            if (!found || !Word(line, at).empty()) return false;
            tracks = number;
            sheet.toc.audio[tracks] = found->audio;
            sheet.block[tracks] = found->block;
            track = {};
        } else if (Same(keyword, "INDEX")) {
            if (tracks == 0 || !Number(Word(line, at), 2, number) || !Time(Word(line, at), sector) || !Word(line, at).empty())
                return false;
            if (number == 0) {
                if (track.index0 >= 0 || track.index1 >= 0) return false;
                track.index0 = sector;
            } else if (number == 1) {
                if (track.index1 >= 0) return false;
                track.index1 = sector;
            } else if (track.index1 < 0 || sector < track.index1) {
                return false;  // later indexes only mark places within the sound
            }
        } else if (Same(keyword, "PREGAP") || Same(keyword, "POSTGAP")) {
            // Silence the data file does not hold: counted in no position, as
            // the players of images have always done.
            if (tracks == 0 || !Time(Word(line, at), sector) || !Word(line, at).empty()) return false;
            if (Same(keyword, "PREGAP") ? track.index0 >= 0 || track.index1 >= 0 : track.index1 < 0) return false;
        } else {
            bool remark = false;
            for (std::string_view known : kRemarks) remark = remark || Same(keyword, known);
            if (!remark) return false;
        }
    }
    if (tracks == 0 || !Place(sheet, tracks, track)) return false;
    sheet.toc.count = tracks;
    return true;
}

bool ReadCueText(int fd, std::string& text) {
    text.resize(CueSheet::kMaxBytes + 1);
    std::size_t got = 0;
    while (got < text.size()) {
        const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    text.resize(got);
    return got <= CueSheet::kMaxBytes;
}

}  // namespace platform
