// The survival score table: the five best runs kept in "score.drr" with three
// check values, read when the select screen opens and when a run is recorded,
// and shown on the result screen.
//
// The file is the 16 integers of ScoreTable, 4 bytes each, little-endian:
// entries 1-5 as {kills, robot}, then {C1, 0}, {C2, 0}, {C3, 0}.
#include "Devices.h"
#include "GameState.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kEntries = 5;
constexpr int kWords = 16;
constexpr std::size_t kFileBytes = kWords * 4;
constexpr std::size_t kEntryBytes = kEntries * 2 * 4;  // what the select screen reads
constexpr int kC1 = 10, kC2 = 12, kC3 = 14;
constexpr std::int32_t kUnlockKills = 10;
constexpr std::int32_t kResultFrames = 600;

constexpr platform::Color kWhite{255, 255, 255};

std::string ScorePath() { return devices.services.system->CurrentDirectory() + "/score.drr"; }

bool IsRegularFile(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// An existing file opened for reading only or writing only, else a new empty
// one. Anything that is not a regular file once opened (a FIFO, a device put
// there meanwhile) counts as a failed open: reading it could block for ever.
int OpenScoreFile(int existingMode) {
    const std::string path = ScorePath();
    const int fd = IsRegularFile(path) ? ::open(path.c_str(), existingMode | O_CLOEXEC)
                                       : ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return -1;
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Up to `limit` bytes from the start of the file into the table. Only the bytes
// the file holds replace those in memory: a short file leaves the rest as it was.
void ReadInto(int fd, std::int32_t (&table)[kWords], std::size_t limit) {
    std::uint8_t bytes[kFileBytes];
    std::size_t got = 0;
    while (got < limit) {
        const ssize_t n = ::read(fd, bytes + got, limit - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    for (std::size_t i = 0; i < got; ++i) {
        const unsigned shift = 8 * (i % 4);
        std::uint32_t word = static_cast<std::uint32_t>(table[i / 4]);
        word = (word & ~(0xFFu << shift)) | (std::uint32_t{bytes[i]} << shift);
        table[i / 4] = static_cast<std::int32_t>(word);
    }
}

bool WriteAll(int fd, const std::int32_t (&table)[kWords]) {
    std::uint8_t bytes[kFileBytes];
    for (std::size_t i = 0; i < kFileBytes; ++i)
        bytes[i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(table[i / 4]) >> (8 * (i % 4)));
    std::size_t put = 0;
    while (put < kFileBytes) {
        const ssize_t n = ::pwrite(fd, bytes + put, kFileBytes - put, static_cast<off_t>(put));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        put += static_cast<std::size_t>(n);
    }
    return true;
}

// The check values wrap in 32 bits, so no table of kills can overflow them.
// C2 = 0 leaves no remainder to compare: `valid` is false then.
struct CheckValues {
    std::int32_t c1, c2, c3;
    bool valid;
};

CheckValues ChecksOf(const std::int32_t (&table)[kWords]) {
    std::uint32_t k[kEntries];
    for (int i = 0; i < kEntries; ++i) k[i] = static_cast<std::uint32_t>(table[2 * i]);
    const auto c1 = static_cast<std::int32_t>(k[0] + 2u * k[1] + 3u * k[2] + 4u * k[3] + 5u * k[4]);
    const auto c2 = static_cast<std::int32_t>(k[0] - k[1] + k[2] - k[3] + k[4] + 1u);
    if (c2 == 0) return {c1, 0, 0, false};
    // INT32_MIN % -1 traps on x86; every remainder by -1 is 0.
    const std::int32_t c3 = c2 == -1 ? 0 : c1 % c2;
    return {c1, c2, c3, true};
}

void Clear(std::int32_t (&table)[kWords]) { std::memset(table, 0, sizeof table); }

// One bubble pass from the bottom: the run takes entry 5 if it beats it, then
// rises above every entry with fewer kills.
void InsertRun(std::int32_t (&table)[kWords], std::int32_t kills, std::int32_t robot) {
    for (int i = kEntries - 1; i >= 1; --i) {
        std::int32_t* lower = &table[2 * i];
        std::int32_t* upper = &table[2 * (i - 1)];
        if (i == kEntries - 1 && kills > lower[0]) {
            lower[0] = kills;
            lower[1] = robot;
        }
        if (lower[0] > upper[0]) {
            std::swap(lower[0], upper[0]);
            std::swap(lower[1], upper[1]);
        }
    }
}

// Only the numbers the game knows have a name; anything an edited file holds shows none.
const char* ResultName(std::int32_t robot) {
    if (robot == 0) return kEmptyResultRobot;
    if (IsRobot(robot)) return kRobotNames[robot - 1].result;
    return "";
}

}  // namespace

void TForm1::ReadScoreEntries() {
    const int fd = OpenScoreFile(O_RDONLY);
    if (fd < 0) return;
    ReadInto(fd, ScoreTable, kEntryBytes);
    if (ScoreTable[0] >= kUnlockKills) robot11Unlocked = 1;
    ::close(fd);  // read only: nothing to lose
}

void TForm1::RecordSurvivalRun() {
    Clear(ScoreTable);
    if (const int fd = OpenScoreFile(O_RDONLY); fd >= 0) {
        ReadInto(fd, ScoreTable, kFileBytes);
        const CheckValues read = ChecksOf(ScoreTable);
        if (!read.valid || read.c1 != ScoreTable[kC1] || read.c2 != ScoreTable[kC2] || read.c3 != ScoreTable[kC3])
            Clear(ScoreTable);
        InsertRun(ScoreTable, survivalKills, p1RobotNumber);
        ::close(fd);
    }

    const int fd = OpenScoreFile(O_WRONLY);
    if (fd < 0) {
        scoreFileError = 1;
        return;
    }
    // A table the pass left with C2 = 0 is stored with a C2 of 0, which no
    // read accepts: the next run starts from an empty table.
    const CheckValues written = ChecksOf(ScoreTable);
    ScoreTable[kC1] = written.c1;
    ScoreTable[kC2] = written.valid ? written.c2 : 0;
    ScoreTable[kC3] = written.valid ? written.c3 : 0;
    ScoreTable[kC1 + 1] = ScoreTable[kC2 + 1] = ScoreTable[kC3 + 1] = 0;
    const bool wrote = WriteAll(fd, ScoreTable);
    const bool closed = ::close(fd) == 0;  // a full disk may only show here
    scoreFileError = wrote && closed ? 0 : 1;
}

void TForm1::ResultStage() {
    // The count goes on from the versus screen's, so the table shows 361-600 frames.
    if (++StageFrameCounter < kResultFrames) return;
    StageFrameCounter = 0;
    GameStage = StageModeMenu;
    scoreFileError = 0;
    ToStart();
}

void TForm1::Draw_Result() {
    platform::Canvas* dc = devices.display.backDc;
    if (!dc) return;
    // Only the box: the versus screen's last picture stays around it.
    dc->SelectBrush(devices.display.brushBlue);
    dc->FillRect(200, 200, 600, 400, devices.display.brushBlue);
    dc->SetTextTransparent();
    dc->SetTextColor(kWhite);

    if (scoreFileError == 1) {
        dc->TextOut(250, 210, "File Error(ファイルを初期化(すべて０にする。)します。)");
        return;
    }
    dc->TextOut(250, 210, "Great Surviver's SCORE!!");
    static constexpr const char* kLines[kEntries] = {
        "First Score  : %d　機", "Second Score : %d　機", "Third Score  : %d　機",
        "Fourth Score : %d　機", "Fifth Score  : %d　機",
    };
    for (int n = 0; n < kEntries; ++n) {
        const std::int32_t y = 240 + 30 * n;
        char line[64];
        std::snprintf(line, sizeof line, kLines[n], static_cast<int>(ScoreTable[2 * n]));
        dc->TextOut(250, y, line);
        dc->TextOut(440, y, ResultName(ScoreTable[2 * n + 1]));
    }
}
