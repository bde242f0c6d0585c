// The score file on the local disk as players keep it: reached through links,
// grown huge, left with copies by a killed game, and shared by two games.
#include "PlayerBackends.h"
#include "PosixFiles.h"
#include "ScoreStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes ReadDisk(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}
void WriteDisk(const fs::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}
std::int32_t Word(const Bytes& bytes, std::size_t index) {
    std::uint32_t word = 0;
    for (int b = 3; b >= 0; --b) word = word << 8 | bytes.at(4 * index + std::size_t(b));
    return static_cast<std::int32_t>(word);
}
void Age(const fs::path& path, std::chrono::seconds by) {
    fs::last_write_time(path, fs::file_time_type::clock::now() - by);
}
std::multiset<std::int32_t> KillsIn(const Bytes& file) {
    std::multiset<std::int32_t> kills;
    for (std::size_t entry = 0; entry < 5; ++entry)
        if (Word(file, 2 * entry) != 0) kills.insert(Word(file, 2 * entry));
    return kills;
}

// A file system that keeps no locks, as some network and FUSE mounts.
int RefuseLocks(int, int) {
    errno = ENOLCK;
    return -1;
}
constexpr int kLockFreeRounds = 50;

class ScoreStoreOnDisk : public ::testing::Test {
protected:
    ScoreStoreOnDisk() {
        std::string pattern = (fs::temp_directory_path() / "vorntak-score-XXXXXX").string();
        EXPECT_NE(::mkdtemp(pattern.data()), nullptr);
        folder = pattern;
        path = (folder / "score.drr").string();
    }
    ~ScoreStoreOnDisk() override { fs::remove_all(folder); }

    bool Store(std::int32_t kills, std::int32_t robot = 1) {
        ScoreImage table;
        return StoreSurvivalRun(*files, path, table, kills, robot);
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
        return names;
    }

    // Rounds of `games` forked games recording at once; the rounds where a run
    // reported stored is missing from the file, or something is left beside it.
    int RaceRounds(int games, int rounds) {
        int bad = 0;
        for (int round = 0; round < rounds; ++round) {
            SCOPED_TRACE(round);
            fs::remove(path);
            int start[2];
            EXPECT_EQ(::pipe(start), 0);
            std::vector<pid_t> players(std::size_t(games), -1);
            for (int game = 0; game < games; ++game) {
                players[std::size_t(game)] = ::fork();
                if (players[std::size_t(game)] == 0) {
                    ::close(start[1]);
                    char go;
                    [[maybe_unused]] const ssize_t ignored = ::read(start[0], &go, 1);  // all start together
                    ::_exit(Store(game + 1, game + 1) ? 0 : 1);
                }
            }
            ::close(start[0]);
            ::close(start[1]);
            std::multiset<std::int32_t> reported;
            for (int game = 0; game < games; ++game) {
                int status = 0;
                EXPECT_EQ(::waitpid(players[std::size_t(game)], &status, 0), players[std::size_t(game)]);
                if (WIFEXITED(status) && WEXITSTATUS(status) == 0) reported.insert(game + 1);
            }
            EXPECT_FALSE(reported.empty());
            const Bytes file = ReadDisk(path);
            const bool kept = file.size() >= 64 && KillsIn(file) == reported;
            EXPECT_TRUE(kept) << "a run reported stored is in the file";
            EXPECT_EQ(Names(), std::vector<std::string>{"score.drr"});
            bad += !kept || Names().size() != 1;
        }
        return bad;
    }

    std::unique_ptr<platform::Files> files = platform::MakePosixFiles();
    fs::path folder;
    std::string path;
};

}  // namespace

TEST_F(ScoreStoreOnDisk, EveryNameOfTheFileShowsTheOneUpdatedTable) {
    // A symbolic link to a file in another folder: the file it names is updated, the link stays.
    fs::create_directory(folder / "kept");
    const fs::path target = folder / "kept" / "table";
    ASSERT_TRUE(Store(5));
    fs::rename(path, target);
    fs::create_symlink(target, path);
    ASSERT_TRUE(Store(3));
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(KillsIn(ReadDisk(target)), (std::multiset<std::int32_t>{5, 3}));
    EXPECT_EQ(fs::directory_iterator(folder / "kept")->path(), target) << "and no copy beside it";

    // A second hard link: both names keep showing the same file.
    fs::remove(path);
    fs::create_hard_link(target, path);
    ASSERT_TRUE(Store(4));
    EXPECT_TRUE(fs::equivalent(path, target));
    EXPECT_EQ(KillsIn(ReadDisk(target)), (std::multiset<std::int32_t>{5, 4, 3}));
}

TEST_F(ScoreStoreOnDisk, AFileOfAnOwnerTheGameCannotGiveACopyKeepsItsOwner) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs the superuser, to be another player";
    ASSERT_TRUE(Store(5));  // the superuser's file, that everyone may write
    fs::permissions(path, fs::perms::all & ~(fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec));
    fs::permissions(folder, fs::perms::all);
    const pid_t player = ::fork();
    ASSERT_GE(player, 0);
    if (player == 0) ::_exit(::setgid(65534) == 0 && ::setuid(65534) == 0 && Store(3) ? 0 : 1);
    int status = 0;
    ASSERT_EQ(::waitpid(player, &status, 0), player);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    struct stat info;
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 0u);
    EXPECT_EQ(KillsIn(ReadDisk(path)), (std::multiset<std::int32_t>{5, 3}));
}

TEST_F(ScoreStoreOnDisk, AHugeSparseFileGetsItsTableWithoutFillingItsHoles) {
    ASSERT_TRUE(Store(5));
    constexpr off_t kApparent = off_t{1} << 30;
    ASSERT_EQ(::truncate(path.c_str(), kApparent), 0);
    struct stat before, after;
    ASSERT_EQ(::stat(path.c_str(), &before), 0);

    ASSERT_TRUE(Store(3));
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_size, kApparent);
    EXPECT_LE(after.st_blocks, before.st_blocks + 64) << "512-byte blocks";
    std::ifstream in(path, std::ios::binary);
    Bytes head(64);
    in.read(reinterpret_cast<char*>(head.data()), 64);
    EXPECT_EQ(KillsIn(head), (std::multiset<std::int32_t>{5, 3}));
}

TEST_F(ScoreStoreOnDisk, OnlyCopiesLeftLongAgoByAKilledGameAreGoneAfterTheNextWrite) {
    ASSERT_TRUE(Store(5));
    WriteDisk(folder / "score.drr.new-a1B2c3", Bytes(30, 7));
    WriteDisk(folder / "score.drr.new-Zz9Qx0", {});
    // Not the shape of a copy: a player's own, however old.
    WriteDisk(folder / "score.drr.txt", Bytes(64, 1));
    WriteDisk(folder / "score.drr.backup", Bytes(64, 1));
    for (const char* name : {"score.drr.new-a1B2c3", "score.drr.new-Zz9Qx0", "score.drr.txt", "score.drr.backup"})
        Age(folder / name, std::chrono::hours(1));
    // Another game's, on another mount of the folder, still being written.
    WriteDisk(folder / "score.drr.new-Yy8Pw1", Bytes(30, 7));
    ASSERT_TRUE(Store(3));
    std::vector<std::string> names = Names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"score.drr", "score.drr.backup", "score.drr.new-Yy8Pw1", "score.drr.txt"}));
}

TEST_F(ScoreStoreOnDisk, TheLockHoldsOnlyWhileThePathNamesTheHeldFileAndCreateKeepsAnotherGamesTable) {
    ASSERT_TRUE(Store(5));
    const Bytes stored = ReadDisk(path);
    for (platform::PosixFiles::LockCall call : {platform::PosixFiles::LockCall{}, RefuseLocks}) {
        platform::PosixFiles game(call);
        platform::File* held = game.Create(path);  // as when another game made it since the path was found empty
        EXPECT_EQ(ReadDisk(path), stored);
        WriteDisk(folder / "theirs", stored);  // another game's copy takes the file's place before the lock
        fs::rename(folder / "theirs", path);
        EXPECT_FALSE(game.Lock(held, path));
        EXPECT_EQ(Names(), std::vector<std::string>{"score.drr"}) << "and nothing is held";
        game.Close(held);
    }
}

TEST_F(ScoreStoreOnDisk, WithoutFileLocksALockFileHoldsTheTableUntilItsHolderIsGoneOrItIsOld) {
    files = std::make_unique<platform::PosixFiles>(RefuseLocks);
    const std::string lock = path + ".lock";
    ASSERT_TRUE(Store(5));
    EXPECT_FALSE(fs::exists(lock)) << "let go of after the write";
    const Bytes stored = ReadDisk(path);

    // Another game in the middle of its write: the file error, until it lets go.
    platform::PosixFiles other(RefuseLocks);
    platform::OpenResult result;
    platform::File* held = other.Open(path, platform::FileAccess::Update, result);
    ASSERT_NE(held, nullptr);
    ASSERT_TRUE(other.Lock(held, path));
    EXPECT_FALSE(Store(3));
    other.Close(held);
    EXPECT_FALSE(Store(3)) << "the lock outlasts the file's close";
    EXPECT_EQ(ReadDisk(path), stored);
    other.Unlock(path);
    EXPECT_FALSE(fs::exists(lock));

    // A game on this machine that ended holding it: taken over at once.
    const pid_t gone = ::fork();
    ASSERT_GE(gone, 0);
    if (gone == 0) {
        platform::PosixFiles killed(RefuseLocks);
        platform::File* file = killed.Open(path, platform::FileAccess::Update, result);
        ::_exit(file && killed.Lock(file, path) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(gone, &status, 0), gone);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(fs::exists(lock));
    EXPECT_TRUE(Store(3));

    // A holder on another machine: held until the lock is old.
    const std::string line = "Torvane 1 elsewhere\n";
    WriteDisk(lock, Bytes(line.begin(), line.end()));
    EXPECT_FALSE(Store(4));
    Age(lock, std::chrono::minutes(2));
    EXPECT_TRUE(Store(4));
    EXPECT_FALSE(fs::exists(lock));

    // A player's own file of that name is never taken: without file locks that
    // is the file error; with them the file's own lock does.
    const Bytes notes(10, 'n');
    WriteDisk(lock, notes);
    Age(lock, std::chrono::hours(1));
    EXPECT_FALSE(Store(2));
    files = platform::MakePosixFiles();
    EXPECT_TRUE(Store(2));
    EXPECT_EQ(ReadDisk(lock), notes);
    EXPECT_EQ(KillsIn(ReadDisk(path)), (std::multiset<std::int32_t>{5, 4, 3, 2}));
    EXPECT_EQ(Names().size(), 2u);
}

TEST_F(ScoreStoreOnDisk, AFileAnotherGameHoldsIsTheFileErrorAndStaysAsItWas) {
    ASSERT_TRUE(Store(5));
    const Bytes stored = ReadDisk(path);
    const int other = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(other, LOCK_EX), 0);
    EXPECT_FALSE(Store(3));
    EXPECT_EQ(ReadDisk(path), stored);
    ::close(other);
    EXPECT_TRUE(Store(3));
}

TEST_F(ScoreStoreOnDisk, GamesRecordingAtOnceKeepEveryRunTheyReportStored) {
    EXPECT_EQ(RaceRounds(4, 40), 0);
}

TEST_F(ScoreStoreOnDisk, OnAFileSystemThatRefusesLocksTwoGamesKeepEveryRunTheyReportStored) {
    files = std::make_unique<platform::PosixFiles>(RefuseLocks);
    EXPECT_EQ(RaceRounds(2, kLockFreeRounds), 0);
}
