// The score file on the local disk as players keep it: reached through links,
// grown huge, left with copies by a killed game, and shared by two games.
#include "PlayerBackends.h"
#include "ScoreStore.h"

#include <gtest/gtest.h>

#include <algorithm>
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
std::multiset<std::int32_t> KillsIn(const Bytes& file) {
    std::multiset<std::int32_t> kills;
    for (std::size_t entry = 0; entry < 5; ++entry)
        if (Word(file, 2 * entry) != 0) kills.insert(Word(file, 2 * entry));
    return kills;
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

    const std::unique_ptr<platform::Files> files = platform::MakePosixFiles();
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

TEST_F(ScoreStoreOnDisk, CopiesLeftByAKilledGameAreGoneAfterTheNextWrite) {
    ASSERT_TRUE(Store(5));
    WriteDisk(folder / "score.drr.new-a1B2c3", Bytes(30, 7));
    WriteDisk(folder / "score.drr.new-Zz9Qx0", {});
    // Not the shape of a copy: a player's own.
    WriteDisk(folder / "score.drr.txt", Bytes(64, 1));
    WriteDisk(folder / "score.drr.backup", Bytes(64, 1));
    ASSERT_TRUE(Store(3));
    std::vector<std::string> names = Names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"score.drr", "score.drr.backup", "score.drr.txt"}));
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
    constexpr int kGames = 4;
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        fs::remove(path);
        int start[2];
        ASSERT_EQ(::pipe(start), 0);
        pid_t games[kGames];
        for (int game = 0; game < kGames; ++game) {
            games[game] = ::fork();
            ASSERT_GE(games[game], 0);
            if (games[game] == 0) {
                ::close(start[1]);
                char go;
                [[maybe_unused]] const ssize_t ignored = ::read(start[0], &go, 1);  // all start together
                ::_exit(Store(game + 1, game + 1) ? 0 : 1);
            }
        }
        ::close(start[0]);
        ::close(start[1]);
        std::multiset<std::int32_t> reported;
        for (int game = 0; game < kGames; ++game) {
            int status = 0;
            ASSERT_EQ(::waitpid(games[game], &status, 0), games[game]);
            ASSERT_TRUE(WIFEXITED(status));
            if (WEXITSTATUS(status) == 0) reported.insert(game + 1);
        }
        EXPECT_FALSE(reported.empty());
        EXPECT_EQ(KillsIn(ReadDisk(path)), reported) << "a run reported stored is in the file";
        EXPECT_EQ(Names().size(), 1u);
    }
}
