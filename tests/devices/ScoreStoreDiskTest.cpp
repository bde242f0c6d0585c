// The score file on the local disk as players keep it: reached through links,
// grown huge, left with copies by a killed game, and shared by two games.
#include "PlayerBackends.h"
#include "PosixFiles.h"
#include "ScoreStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
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

// Another mount of the folder: the file's own lock there never sees ours.
int GrantLocks(int, int) { return 0; }
// A path-based mount (sshfs, bindfs): an open file is told by the file now at
// the path it was opened at, though its reads still come from the old one.
int StatAtItsPath(int fd, struct stat* info) {
    char target[4096];
    const ssize_t got = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), target, sizeof target - 1);
    if (got < 0) return -1;
    std::string named(target, std::size_t(got));
    if (named.ends_with(" (deleted)")) named.resize(named.size() - 10);
    return ::stat(named.c_str(), info);
}

// Runs just before the next take of the file's own lock.
std::function<void()> beforeLock;
int LockAfterAHappening(int fd, int operation) {
    if (auto happening = std::exchange(beforeLock, nullptr)) happening();
    return ::flock(fd, operation);
}

// The facts a holder line names, as this machine tells them.
std::string OwnHost() {
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    return host;
}
std::string OwnBoot() {
    std::string boot;
    std::getline(std::ifstream("/proc/sys/kernel/random/boot_id"), boot);
    return boot;
}
// The PID of a game that has ended.
pid_t EndedPid() {
    const pid_t ended = ::fork();
    if (ended == 0) ::_exit(0);
    int status = 0;
    ::waitpid(ended, &status, 0);
    return ended;
}

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

    // A store by a forked game of a player who is not the superuser (whose
    // rights no folder refuses): whether it reported the run stored.
    bool StoreAsPlayer(std::int32_t kills) {
        const pid_t player = ::fork();
        if (player == 0) ::_exit((::geteuid() != 0 || (::setgid(65534) == 0 && ::setuid(65534) == 0)) && Store(kills) ? 0 : 1);
        int status = 0;
        return ::waitpid(player, &status, 0) == player && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    std::string Lock() const { return path + ".lock"; }

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

    // A link to a file not made yet: the file is made, held and written.
    fs::remove(path);
    fs::create_symlink(folder / "kept" / "new", path);
    ASSERT_TRUE(Store(2));
    EXPECT_EQ(KillsIn(ReadDisk(folder / "kept" / "new")), (std::multiset<std::int32_t>{2}));

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
    // A lock's line never linked into place, and an old lock moved aside, by a game killed meanwhile.
    WriteDisk(folder / "score.drr.lock.new-Qq1Ww2", Bytes(20, 'T'));
    ASSERT_EQ(::mkfifo((folder / "score.drr.lock.old-Ee3Rr4").c_str(), 0644), 0);
    // Not the shape of a copy: a player's own, however old.
    WriteDisk(folder / "score.drr.txt", Bytes(64, 1));
    WriteDisk(folder / "score.drr.backup", Bytes(64, 1));
    WriteDisk(folder / "score.drr.new-a1B2c3d", Bytes(64, 1));
    for (const char* name : {"score.drr.new-a1B2c3", "score.drr.new-Zz9Qx0", "score.drr.lock.new-Qq1Ww2",
                             "score.drr.lock.old-Ee3Rr4", "score.drr.txt", "score.drr.backup", "score.drr.new-a1B2c3d"})
        Age(folder / name, std::chrono::hours(1));
    // Another game's, on another mount of the folder, still being written.
    WriteDisk(folder / "score.drr.new-Yy8Pw1", Bytes(30, 7));
    WriteDisk(folder / "score.drr.lock.old-Tt5Yy6", {});
    ASSERT_TRUE(Store(3));
    std::vector<std::string> names = Names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"score.drr", "score.drr.backup", "score.drr.lock.old-Tt5Yy6",
                                               "score.drr.new-Yy8Pw1", "score.drr.new-a1B2c3d", "score.drr.txt"}));
}

TEST_F(ScoreStoreOnDisk, TheLockHoldsOnlyWhileThePathNamesTheHeldFileAndCreateKeepsAnotherGamesTable) {
    ASSERT_TRUE(Store(5));
    const Bytes stored = ReadDisk(path);
    platform::PosixFiles game(LockAfterAHappening);
    platform::File* made = game.Create(path);  // as when another game made it since the path was found empty
    EXPECT_EQ(ReadDisk(path), stored);
    game.Close(made);

    // A player's own file at the lock's name: only the file's own lock holds.
    const Bytes notes(10, 'n');
    WriteDisk(Lock(), notes);
    // Another game that holds only that lock puts its copy in the file's place just before ours takes.
    beforeLock = [&] {
        WriteDisk(folder / "theirs", stored);
        fs::rename(folder / "theirs", path);
    };
    EXPECT_FALSE(game.Lock(path));
    EXPECT_EQ(ReadDisk(Lock()), notes);
    EXPECT_EQ(Names().size(), 2u) << "and nothing is held";
    EXPECT_TRUE(game.Lock(path));
    game.Unlock(path);
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
    ASSERT_TRUE(other.Lock(path));
    platform::File* held = other.Open(path, platform::FileAccess::Update, result);
    ASSERT_NE(held, nullptr);
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
        ::_exit(killed.Lock(path) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(gone, &status, 0), gone);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(fs::exists(lock));
    EXPECT_TRUE(Store(3));

    // One taken over meanwhile by another game, as left: theirs stays when the first lets go.
    ASSERT_TRUE(other.Lock(path));
    const std::string theirs = "Torvane " + std::to_string(EndedPid()) + " elsewhere\n";
    WriteDisk(folder / "theirs", Bytes(theirs.begin(), theirs.end()));
    fs::rename(folder / "theirs", lock);
    other.Unlock(path);
    EXPECT_EQ(ReadDisk(lock), Bytes(theirs.begin(), theirs.end()));
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
    platform::PosixFiles holder;  // that lock is one game's alone
    ASSERT_TRUE(holder.Lock(path));
    EXPECT_FALSE(Store(1));
    holder.Unlock(path);
    EXPECT_EQ(KillsIn(ReadDisk(path)), (std::multiset<std::int32_t>{5, 4, 3, 2}));
    EXPECT_EQ(Names().size(), 2u);
}

TEST_F(ScoreStoreOnDisk, BesideAPlayersOwnFileOfTheLocksNameTheFirstRunIsStored) {
    const Bytes notes(10, 'n');
    WriteDisk(Lock(), notes);
    Age(Lock(), std::chrono::hours(1));
    ASSERT_FALSE(fs::exists(path));
    EXPECT_TRUE(Store(2)) << "the file made and held by its own lock";
    EXPECT_EQ(KillsIn(ReadDisk(path)), (std::multiset<std::int32_t>{2}));
    EXPECT_EQ(ReadDisk(Lock()), notes);
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

TEST_F(ScoreStoreOnDisk, AHolderIsJudgedEndedOnlyWhenItsHostBootAndPidNamespaceAreThisGamesOwn) {
    files = std::make_unique<platform::PosixFiles>(RefuseLocks);
    ASSERT_TRUE(Store(5));
    const std::string ended = std::to_string(EndedPid()), host = OwnHost(), boot = OwnBoot();
    const std::string space = fs::read_symlink("/proc/self/ns/pid").string();
    ASSERT_FALSE(boot.empty());
    const std::string own = "Torvane " + ended + " " + host + " " + boot + " " + space + "\n";
    // Held until old: its PID may be a live game's wherever any of them differs,
    // and an older game's line (or none, killed before it was written) does not say.
    for (const std::string& line :
         {"Torvane " + ended + " " + host + " " + boot + " pid:[1]\n", "Torvane " + ended + " " + host + " 0" + boot + " " + space + "\n",
          "Torvane " + ended + " elsewhere " + boot + " " + space + "\n", "Torvane " + ended + " " + host + "\n",
          "Torvane " + ended + " " + host + " " + boot + " " + space + " more\n", std::string()}) {
        SCOPED_TRACE(line);
        WriteDisk(Lock(), Bytes(line.begin(), line.end()));
        EXPECT_FALSE(Store(4));
        Age(Lock(), std::chrono::minutes(2));
        EXPECT_TRUE(Store(4));
        EXPECT_FALSE(fs::exists(Lock()));
    }
    // This game's own, ended: taken over at once.
    WriteDisk(Lock(), Bytes(own.begin(), own.end()));
    EXPECT_TRUE(Store(3));
    EXPECT_FALSE(fs::exists(Lock()));
}

TEST_F(ScoreStoreOnDisk, ALockThatIsAFolderAFifoOrUnreadableIsJudgedByItsAgeInAFolderThatTakesNoNewFileToo) {
    files = std::make_unique<platform::PosixFiles>(RefuseLocks);
    for (int kind = 0; kind < 2; ++kind) {
        SCOPED_TRACE(kind);
        EXPECT_EQ(kind == 0 ? ::mkdir(Lock().c_str(), 0755) : ::mkfifo(Lock().c_str(), 0644), 0);
        EXPECT_FALSE(Store(4)) << "young: it may be another game's";
        Age(Lock(), std::chrono::minutes(2));
        EXPECT_TRUE(Store(4));
        EXPECT_EQ(Names(), std::vector<std::string>{"score.drr"});
    }
    // Where an old one cannot be removed (a folder with files in it, a
    // folder the player may not write), it is passed over: the file's own lock holds.
    fs::create_directory(Lock());
    WriteDisk(fs::path(Lock()) / "kept", Bytes(3, 'k'));
    Age(Lock(), std::chrono::minutes(2));
    EXPECT_FALSE(Store(2));
    files = platform::MakePosixFiles();
    EXPECT_TRUE(Store(2));
    fs::remove_all(Lock());
    const std::string line = "Torvane 1 elsewhere\n";
    fs::permissions(path, fs::perms::all & ~(fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec));
    constexpr fs::perms kReadOnly = fs::perms::all & ~(fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write);
    for (const bool readOnlyFolder : {false, true}) {  // an unreadable lock; a readable one in a read-only folder
        SCOPED_TRACE(readOnlyFolder);
        WriteDisk(Lock(), Bytes(line.begin(), line.end()));
        fs::permissions(Lock(), readOnlyFolder ? kReadOnly : fs::perms::none);
        fs::permissions(folder, readOnlyFolder ? kReadOnly : fs::perms::all);
        EXPECT_FALSE(StoreAsPlayer(3)) << "young: it may be another game's";
        Age(Lock(), std::chrono::minutes(2));
        EXPECT_TRUE(StoreAsPlayer(3));
    }
    EXPECT_TRUE(fs::exists(Lock())) << "in the folder the player may not write";
    fs::permissions(folder, fs::perms::owner_all);
    EXPECT_EQ(KillsIn(ReadDisk(path)), (std::multiset<std::int32_t>{4, 4, 3, 3, 2}));
}

TEST_F(ScoreStoreOnDisk, AGameKilledBeforeItsLockHasItsLineLeavesNoLock) {
    files = std::make_unique<platform::PosixFiles>(RefuseLocks);
    const pid_t killed = ::fork();
    ASSERT_GE(killed, 0);
    if (killed == 0) {
        // Any byte written ends it, as a kill at that moment would.
        const rlimit none{0, 0};
        ::setrlimit(RLIMIT_CORE, &none);
        ::setrlimit(RLIMIT_FSIZE, &none);
        std::signal(SIGXFSZ, SIG_DFL);
        ::_exit(Store(9) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(killed, &status, 0), killed);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ);
    EXPECT_FALSE(fs::exists(Lock()));
    EXPECT_TRUE(Store(3));
}

namespace {

// Files on a path-based mount where, at the game's first open of the score
// file, another game on another mount stores its run.
class StoredMeanwhile final : public platform::PosixFiles {
public:
    explicit StoredMeanwhile(std::function<void()> otherGame)
        : PosixFiles(GrantLocks, StatAtItsPath), other_(std::move(otherGame)) {}
    platform::File* Open(const std::string& path, platform::FileAccess access, platform::OpenResult& result) override {
        platform::File* file = PosixFiles::Open(path, access, result);
        if (other_) std::exchange(other_, nullptr)();
        return file;
    }

private:
    std::function<void()> other_;
};

}  // namespace

TEST_F(ScoreStoreOnDisk, OnTwoPathBasedMountsOfOneFolderARunStoredWhileAnotherGameOpensIsKept) {
    ASSERT_TRUE(Store(5));
    platform::PosixFiles otherMount(GrantLocks, StatAtItsPath);
    bool otherStored = false;
    ScoreImage table;
    StoredMeanwhile mount([&] { otherStored = StoreSurvivalRun(otherMount, path, table, 4, 2); });
    EXPECT_TRUE(StoreSurvivalRun(mount, path, table, 3, 1));
    EXPECT_EQ(KillsIn(ReadDisk(path)), (otherStored ? std::multiset<std::int32_t>{5, 4, 3} : std::multiset<std::int32_t>{5, 3}));
    if (!otherStored) {
        EXPECT_TRUE(StoreSurvivalRun(otherMount, path, table, 4, 2)) << "once the first let go";
    }
    EXPECT_EQ(KillsIn(ReadDisk(path)), (std::multiset<std::int32_t>{5, 4, 3}));
}

TEST_F(ScoreStoreOnDisk, OnTwoPathBasedMountsOfOneFolderTwoGamesKeepEveryRunTheyReportStored) {
    files = std::make_unique<platform::PosixFiles>(GrantLocks, StatAtItsPath);
    EXPECT_EQ(RaceRounds(2, kLockFreeRounds), 0);
}
