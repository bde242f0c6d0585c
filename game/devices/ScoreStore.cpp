#include "ScoreStore.h"

#include <cstddef>
#include <cstring>
#include <utility>

namespace {

constexpr std::size_t kEntries = 5;
constexpr std::size_t kWords = 16;
constexpr std::size_t kFileBytes = kWords * 4;
constexpr std::size_t kEntryBytes = kEntries * 2 * 4;  // what the select screen reads
constexpr int kC1 = 10, kC2 = 12, kC3 = 14;

using platform::File;
using platform::Files;

// Up to `limit` bytes from where the file stands into the table. Only the
// bytes the file holds replace those in memory: a short file leaves the rest.
// They are kept in `raw` too.
std::size_t ReadInto(Files& files, File* file, ScoreImage& table, std::size_t limit, bool& failed,
                     std::uint8_t (&raw)[kFileBytes]) {
    const std::size_t got = files.Read(file, raw, limit, failed);
    for (std::size_t i = 0; i < got; ++i) {
        const unsigned shift = 8 * (i % 4);
        std::uint32_t word = static_cast<std::uint32_t>(table[i / 4]);
        word = (word & ~(0xFFu << shift)) | (std::uint32_t{raw[i]} << shift);
        table[i / 4] = static_cast<std::int32_t>(word);
    }
    return got;
}

void Encode(const ScoreImage& table, std::uint8_t (&bytes)[kFileBytes]) {
    for (std::size_t i = 0; i < kFileBytes; ++i)
        bytes[i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(table[i / 4]) >> (8 * (i % 4)));
}

// The check values wrap in 32 bits, so no table of kills can overflow them.
// C2 = 0 leaves no remainder to compare: `valid` is false then.
struct CheckValues {
    std::int32_t c1, c2, c3;
    bool valid;
};

CheckValues ChecksOf(const ScoreImage& table) {
    std::uint32_t k[kEntries];
    for (std::size_t i = 0; i < kEntries; ++i) k[i] = static_cast<std::uint32_t>(table[2 * i]);
    const auto c1 = static_cast<std::int32_t>(k[0] + 2u * k[1] + 3u * k[2] + 4u * k[3] + 5u * k[4]);
    const auto c2 = static_cast<std::int32_t>(k[0] - k[1] + k[2] - k[3] + k[4] + 1u);
    if (c2 == 0) return {c1, 0, 0, false};
    // INT32_MIN % -1 traps on x86; every remainder by -1 is 0.
    const std::int32_t c3 = c2 == -1 ? 0 : c1 % c2;
    return {c1, c2, c3, true};
}

bool Passes(const ScoreImage& table) {
    const CheckValues read = ChecksOf(table);
    return read.valid && read.c1 == table[kC1] && read.c2 == table[kC2] && read.c3 == table[kC3];
}

// A table the pass left with C2 = 0 is stored with a C2 of 0, which no read
// accepts: the next run starts from an empty table.
void Seal(ScoreImage& table) {
    const CheckValues written = ChecksOf(table);
    table[kC1] = written.c1;
    table[kC2] = written.valid ? written.c2 : 0;
    table[kC3] = written.valid ? written.c3 : 0;
    table[kC1 + 1] = table[kC2 + 1] = table[kC3 + 1] = 0;
}

void Clear(ScoreImage& table) { std::memset(table, 0, sizeof table); }

// One bubble pass from the bottom: the run takes entry 5 if it beats it, then
// rises above every entry with fewer kills.
void InsertRun(ScoreImage& table, std::int32_t kills, std::int32_t robot) {
    for (std::size_t i = kEntries - 1; i >= 1; --i) {
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

// An existing file opened as asked, else a new empty one; null when neither
// works. `result` tells a file that is there but does not open from a missing one.
File* OpenOrCreate(Files& files, const std::string& path, platform::FileAccess access, platform::OpenResult& result) {
    File* file = files.Open(path, access, result);
    if (!file && result == platform::OpenResult::NoSuchFile) file = files.Create(path);
    return file;
}

// The file that `path` names, held for this program and then opened for
// reading and writing (made when missing); its path goes to `file`. Null when
// another program holds it or it does not open (one that is there but does
// not open may hold a good table: nothing is written over it); nothing is
// held then.
//
// The hold comes before the open, so that a second game recording at the same
// time gets the file error instead of writing over this run: a file opened
// before may be the old one on a network mount, though its path names the
// new one. Through a symbolic link the file it names is held and written,
// never the link: games that reach it by other paths then exclude each other.
File* OpenHeld(Files& files, const std::string& path, std::string& file) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        file = files.Resolve(path);
        if (!files.Lock(file)) return nullptr;
        platform::OpenResult result;
        File* held = OpenOrCreate(files, file, platform::FileAccess::Update, result);
        // A link whose file was missing names it only once it is made: held again by that name.
        if (held && files.Resolve(path) == file) return held;
        if (held) files.Close(held);
        files.Unlock(file);
        if (!held) return nullptr;
    }
    return nullptr;
}

// The file as it was read: its first bytes, and those past the table as far
// as a copy takes them.
struct Read {
    std::uint8_t head[kFileBytes];
    std::size_t headSize;
    std::uint8_t tail[kScoreCopyLimit - kFileBytes + 1];
    std::size_t tailSize;
    bool Long() const { return tailSize > kScoreCopyLimit - kFileBytes; }
};

// The table over the file's first bytes, on the disk whole or not at all: when
// the write or its flush fails, the old bytes go back (a short file is cut back
// to its size) so that the next run still finds the table it had.
bool WriteInPlace(Files& files, File* held, const std::uint8_t (&bytes)[kFileBytes], const Read& old) {
    const bool wrote = files.WriteAt(held, 0, bytes, kFileBytes) && files.Flush(held);
    if (!wrote) {
        files.WriteAt(held, 0, old.head, old.headSize);
        if (old.headSize < kFileBytes) files.SetSize(held, old.headSize);
        files.Flush(held);
    }
    files.Close(held);  // after the flush, a failing close loses nothing
    return wrote;
}

// The write step, on the file held since the read. The game's own file (the
// table, or a few bytes more) goes to a copy beside it that takes its place
// only once it is whole on the disk: a failure or a kill on the way leaves the
// old file as it was. A long file gets the table written over its first bytes
// instead: copying it would take as long as it is large and fill its holes.
// So does a file no copy can stand in for (a read-only folder, other hard
// links, an owner the copy cannot take). The held file is closed before its
// copy takes its place; the lock outlasts it.
bool WriteTable(Files& files, const std::string& path, const ScoreImage& table, File* held, const Read& old) {
    std::uint8_t bytes[kFileBytes];
    Encode(table, bytes);
    files.RemoveLeftCopies(path);

    std::string made;
    File* copy = old.Long() ? nullptr : files.CreateBeside(path, made);
    if (!copy) return WriteInPlace(files, held, bytes, old);

    bool kept = files.WriteAt(copy, 0, bytes, kFileBytes) &&
                (old.tailSize == 0 || files.WriteAt(copy, kFileBytes, old.tail, old.tailSize)) && files.Flush(copy);
    kept = files.Close(copy) && kept;
    files.Close(held);  // only read from: nothing of it is lost
    kept = kept && files.Replace(made, path);
    if (!kept) files.Remove(made);
    return kept;
}

// The steps from the read to the write, on the file held and locked. Closes it.
bool Update(Files& files, const std::string& path, ScoreImage& table, File* held, std::int32_t kills,
            std::int32_t robot) {
    // Read step. A new file is an empty table, and so is one that reads short
    // or fails the checks.
    Read old;
    bool failed = false;
    old.headSize = ReadInto(files, held, table, kFileBytes, failed, old.head);
    old.tailSize = failed ? 0 : files.Read(held, old.tail, sizeof old.tail, failed);
    if (failed) {
        files.Close(held);
        return false;
    }
    if (!Passes(table)) Clear(table);
    InsertRun(table, kills, robot);

    Seal(table);
    return WriteTable(files, path, table, held, old);
}

}  // namespace

bool ReadStoredEntries(Files& files, const std::string& path, ScoreImage& table) {
    platform::OpenResult result;
    File* file = OpenOrCreate(files, path, platform::FileAccess::Read, result);
    if (!file) return false;
    bool failed = false;  // what came before a failed read still counts: nothing is checked or written here
    std::uint8_t raw[kFileBytes];
    ReadInto(files, file, table, kEntryBytes, failed, raw);
    files.Close(file);
    return true;
}

bool StoreSurvivalRun(Files& files, const std::string& path, ScoreImage& table, std::int32_t kills,
                      std::int32_t robot) {
    Clear(table);
    std::string file;
    File* held = OpenHeld(files, path, file);
    if (!held) return false;
    const bool stored = Update(files, file, table, held, kills, robot);
    files.Unlock(file);
    return stored;
}
