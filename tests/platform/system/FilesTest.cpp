// The players' files on the real file system, failures told apart.
#include "PosixFiles.h"
#include "TestFiles.h"

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

struct PosixFilesTest : ::testing::Test {
    platform::PosixFiles files;
    ScratchFolder folder;
    std::string At(const char* name) const { return folder.Path() + "/" + name; }
};

}  // namespace

TEST_F(PosixFilesTest, OnlyAnExistingRegularFileOpensAndNeverBlocks) {
    platform::OpenResult result;
    EXPECT_EQ(files.Open(At("none"), platform::FileAccess::Read, result), nullptr);
    EXPECT_EQ(result, platform::OpenResult::NoSuchFile);
    std::filesystem::create_directory(At("folder"));
    EXPECT_EQ(files.Open(At("folder"), platform::FileAccess::Write, result), nullptr);
    EXPECT_EQ(result, platform::OpenResult::CannotOpen);
    ASSERT_EQ(::mkfifo(At("fifo").c_str(), 0600), 0);
    EXPECT_EQ(files.Open(At("fifo"), platform::FileAccess::Read, result), nullptr) << "and returns at once";
    EXPECT_EQ(result, platform::OpenResult::CannotOpen);
    EXPECT_EQ(files.Create(At("folder")), nullptr);
}

TEST_F(PosixFilesTest, WritesAtAnOffsetKeepTheRestReadsStopShortAtTheEndAndReplaceMoves) {
    platform::File* file = files.Create(At("a"));
    ASSERT_NE(file, nullptr);
    const std::uint8_t bytes[6] = {1, 2, 3, 4, 5, 6};
    ASSERT_TRUE(files.WriteAt(file, 0, bytes, 6));
    ASSERT_TRUE(files.WriteAt(file, 2, bytes, 2));
    EXPECT_TRUE(files.Close(file));

    platform::OpenResult result;
    file = files.Open(At("a"), platform::FileAccess::Read, result);
    ASSERT_NE(file, nullptr);
    std::uint8_t read[10] = {};
    bool failed = true;
    EXPECT_EQ(files.Read(file, read, sizeof read, failed), 6u);
    EXPECT_FALSE(failed);
    EXPECT_EQ(Bytes(read, read + 6), (Bytes{1, 2, 1, 2, 5, 6}));
    files.Close(file);

    EXPECT_TRUE(files.Replace(At("a"), At("b")));
    EXPECT_FALSE(std::filesystem::exists(At("a")));
    EXPECT_EQ(std::filesystem::file_size(At("b")), 6u);
}

TEST_F(PosixFilesTest, AWriteStoppedByTheFileSizeLimitFails) {
    platform::File* file = files.Create(At("a"));
    ASSERT_NE(file, nullptr);
    rlimit saved, small;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    small = saved;
    small.rlim_cur = 10;
    auto* handler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::uint8_t bytes[64] = {};
    const bool wrote = files.WriteAt(file, 0, bytes, sizeof bytes);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, handler);
    EXPECT_FALSE(wrote);
    files.Close(file);
}
