// The survival score file: the five best runs kept in "score.drr" with three
// check values, read when the select screen opens and when a run is recorded.
//
// The file is the 16 integers of ScoreTable, 4 bytes each, little-endian:
// entries 1-5 as {kills, robot}, then {C1, 0}, {C2, 0}, {C3, 0}.
#include "Devices.h"
#include "GameState.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

namespace {

constexpr int kEntries = kScoreEntries;
constexpr int kWords = 16;
constexpr std::size_t kFileBytes = kWords * 4;
constexpr std::size_t kEntryBytes = kEntries * 2 * 4;  // what the select screen reads
constexpr int kC1 = 10, kC2 = 12, kC3 = 14;
constexpr std::int32_t kUnlockKills = 10;

platform::Files& Files(Devices& devices) { return *devices.services.files; }
std::string ScorePath(Devices& devices) { return devices.services.system->CurrentDirectory() + "/score.drr"; }

// An existing file opened for reading only or writing only, else a new empty one.
platform::File* OpenScoreFile(Devices& devices, platform::FileAccess access) {
    const std::string path = ScorePath(devices);
    platform::OpenResult result;
    platform::File* file = Files(devices).Open(path, access, result);
    if (!file && result == platform::OpenResult::NoSuchFile) file = Files(devices).Create(path);
    return file;
}

// Up to `limit` bytes from the start of the file into the table. Only the bytes
// the file holds replace those in memory: a short file leaves the rest as it was.
void ReadInto(Devices& devices, platform::File* file, std::int32_t (&table)[kWords], std::size_t limit) {
    std::uint8_t bytes[kFileBytes];
    bool failed = false;
    const std::size_t got = Files(devices).Read(file, bytes, limit, failed);
    for (std::size_t i = 0; i < got; ++i) {
        const unsigned shift = 8 * (i % 4);
        std::uint32_t word = static_cast<std::uint32_t>(table[i / 4]);
        word = (word & ~(0xFFu << shift)) | (std::uint32_t{bytes[i]} << shift);
        table[i / 4] = static_cast<std::int32_t>(word);
    }
}

bool WriteAll(Devices& devices, platform::File* file, const std::int32_t (&table)[kWords]) {
    std::uint8_t bytes[kFileBytes];
    for (std::size_t i = 0; i < kFileBytes; ++i)
        bytes[i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(table[i / 4]) >> (8 * (i % 4)));
    return Files(devices).WriteAt(file, 0, bytes, kFileBytes);
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

}  // namespace

void TForm1::ReadScoreEntries() {
    platform::File* file = OpenScoreFile(devices, platform::FileAccess::Read);
    if (!file) return;
    ReadInto(devices, file, ScoreTable, kEntryBytes);
    if (ScoreTable[0] >= kUnlockKills) robot11Unlocked = 1;
    Files(devices).Close(file);  // read only: nothing to lose
}

void TForm1::RecordSurvivalRun() {
    Clear(ScoreTable);
    if (platform::File* file = OpenScoreFile(devices, platform::FileAccess::Read)) {
        ReadInto(devices, file, ScoreTable, kFileBytes);
        const CheckValues read = ChecksOf(ScoreTable);
        if (!read.valid || read.c1 != ScoreTable[kC1] || read.c2 != ScoreTable[kC2] || read.c3 != ScoreTable[kC3])
            Clear(ScoreTable);
        InsertRun(ScoreTable, survivalKills, p1RobotNumber);
        Files(devices).Close(file);
    }

    platform::File* file = OpenScoreFile(devices, platform::FileAccess::Write);
    if (!file) {
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
    const bool wrote = WriteAll(devices, file, ScoreTable);
    const bool closed = Files(devices).Close(file);  // a full disk may only show here
    scoreFileError = wrote && closed ? 0 : 1;
}

