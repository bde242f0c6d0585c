#include "GameFixture.h"
#include "Screens.h"
#include "PlayerBackends.h"
#include "ScoreStore.h"

#include <csignal>
#include <fstream>
#include <iterator>
#include <set>
#include <sys/resource.h>
#include <tuple>
#include <utility>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes LittleEndian(std::vector<std::int32_t> words) {
    Bytes bytes;
    for (std::int32_t w : words)
        for (int b = 0; b < 4; ++b) bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(w) >> 8 * b));
    return bytes;
}

class ScoreTable : public GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        form->FormShow();
        path = system.currentDirectory + "/score.drr";
    }
    void Write(const Bytes& b) { files.files[path] = b; }
    Bytes File() { return files.files[path]; }
    void Record(std::int32_t kills, std::int32_t robot) {
        form->survivalKills = kills;
        form->p1RobotNumber = robot;
        form->RecordSurvivalRun();
    }
    std::multiset<std::string> Draw() {  // "x,y text" of the white transparent texts
        Draw_Result(View(), *video->display.TakeContext());
        video->display.ReleaseContext();
        std::multiset<std::string> out;
        for (const platform::DrawnText& t : video->display.Texts())
            if (t.transparent && t.color == platform::Color{255, 255, 255})
                out.insert(std::to_string(t.x) + "," + std::to_string(t.y) + " " + t.text);
        return out;
    }
    std::string path;
};

const Bytes kEmpty = LittleEndian({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0});

// A stored table with bytes past it, and the same after a run of 3 kills with robot 8.
Bytes WithTail(Bytes table, std::size_t size = 70) {
    table.resize(size, 9);
    return table;
}
const Bytes kStored = WithTail(LittleEndian({5, 7, 3, 4, 2, 1, 0, 0, 0, 0, 17, 0, 5, 0, 2, 0}));
const Bytes kRecorded = WithTail(LittleEndian({5, 7, 3, 4, 3, 8, 2, 1, 0, 0, 28, 0, 4, 0, 0, 0}));

Bytes ReadDisk(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}
void WriteDisk(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

}  // namespace

TEST_F(ScoreTable, AGoodFileKeepsItsEntriesABadOneIsDroppedAndSixtyFourZeroBytesAreBad) {
    Write(LittleEndian({5, 7, 3, 4, 2, 1, 0, 0, 0, 0, 17, 99, 5, 99, 2, 99}));  // zero words ignored
    Record(1, 9);
    EXPECT_EQ(File(), LittleEndian({5, 7, 3, 4, 2, 1, 1, 9, 0, 0, 21, 0, 4, 0, 1, 0}));
    Write(LittleEndian({5, 7, 3, 4, 2, 1, 0, 0, 0, 0, 17, 0, 5, 0, 3, 0}));
    Record(1, 9);
    EXPECT_EQ(File(), LittleEndian({1, 9, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 2, 0, 1, 0}));
    // Robots are not checked: a passing all-zero table (0, 1, 0) keeps them, 64 zero bytes do not.
    Write(LittleEndian({0, 3, 0, 4, 0, 5, 0, 6, 0, 7, 0, 0, 1, 0, 0, 0}));
    Record(0, 1);
    EXPECT_EQ(File(), LittleEndian({0, 3, 0, 4, 0, 5, 0, 6, 0, 7, 0, 0, 1, 0, 0, 0}));
    Write(Bytes(64, 0));
    Record(0, 1);
    EXPECT_EQ(File(), kEmpty) << "and a run of 0 never enters";
    EXPECT_EQ(files.OpenFiles(), 0) << "every file opened is closed";
}

TEST_F(ScoreTable, ARunGoesBelowEveryEntryAsGoodAndOneEqualToTheFifthIsNotRecorded) {
    Write(LittleEndian({9, 1, 7, 2, 7, 3, 3, 4, 0, 0, 56, 0, 7, 0, 0, 0}));
    Record(7, 5);
    const Bytes after = LittleEndian({9, 1, 7, 2, 7, 3, 7, 5, 3, 4, 87, 0, 6, 0, 3, 0});
    EXPECT_EQ(File(), after);
    Record(3, 8);
    EXPECT_EQ(File(), after);
}

TEST_F(ScoreTable, ANewFileIsSixtyFourLittleEndianBytesAndALongerOneKeepsItsTail) {
    Record(300, 11);
    EXPECT_EQ(File(), LittleEndian({300, 11, 0, 0, 0, 0, 0, 0, 0, 0, 300, 0, 301, 0, 300, 0}));
    Write(Bytes(80, 77));
    Record(4, 2);
    Bytes expected = LittleEndian({4, 2, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 5, 0, 4, 0});
    expected.resize(80, 77);
    EXPECT_EQ(File(), expected);
}

TEST_F(ScoreTable, TheSelectScreensReadTakesOnlyEntryBytesTheFileHoldsAndTenKillsUnlockRobotEleven) {
    for (std::int32_t& word : form->ScoreTable) word = 0x11223344;
    Write({9, 0, 0, 0, 8, 0, 0, 0, 2, 0, 0, 0, 0xAA, 0xBB});
    form->ReadScoreEntries();
    EXPECT_EQ((std::vector<std::int32_t>(form->ScoreTable, form->ScoreTable + 5)),
              (std::vector<std::int32_t>{9, 8, 2, 0x1122BBAA, 0x11223344}));
    EXPECT_FALSE(form->robot11Unlocked);
    Write(LittleEndian({10, 1, 0, 0, 0, 0, 0, 0, 0, 7, 5, 5, 5, 5, 5, 5}));  // bad check values
    form->ReadScoreEntries();
    EXPECT_EQ(form->ScoreTable[9], 7);
    EXPECT_EQ(form->ScoreTable[10], 0x11223344) << "the checks in memory stay";
    EXPECT_TRUE(form->robot11Unlocked);
    files.files.erase(path);
    form->ReadScoreEntries();
    EXPECT_TRUE(form->robot11Unlocked) << "until the program ends";
    EXPECT_TRUE(files.files.count(path) && files.files[path].empty());
}

TEST_F(ScoreTable, AFileThatCannotBeOpenedOrFullyWrittenShowsTheFileError) {
    files.unopenable.insert(path);  // no file there, and none can be made
    form->ScoreTable[0] = 12;
    form->ReadScoreEntries();
    EXPECT_EQ(form->ScoreTable[0], 12);
    Record(5, 1);
    EXPECT_EQ(form->scoreFileError, 1);
    const std::multiset<std::string> error{"250,210 File Error(ファイルを初期化(すべて０にする。)します。)"};
    EXPECT_EQ(Draw(), error);

    files.unopenable.erase(path);
    Record(5, 1);
    EXPECT_EQ(form->scoreFileError, 0);
    files.files.erase(path);
    files.sizeLimit = 10;  // a 10-byte file size limit stops the write short
    Record(5, 1);
    EXPECT_EQ(form->scoreFileError, 1);
}

TEST_F(ScoreTable, EachStepFailingInTurnLeavesTheStoredTableReadableAndWhole) {
    using Step = platform::HeadlessFiles::Step;
    // The game's own file goes through a copy; one too long to copy is written in place.
    const Bytes kLongStored = WithTail(kStored, kScoreCopyLimit + 1), kLongRecorded = WithTail(kRecorded, kScoreCopyLimit + 1);
    for (const auto& [stored, recorded] : {std::pair(kStored, kRecorded), std::pair(kLongStored, kLongRecorded)})
        for (Step step : {Step::Open, Step::Create, Step::Lock, Step::Read, Step::Write, Step::SetSize, Step::Flush,
                          Step::Close, Step::CreateBeside, Step::Replace, Step::Remove})
            for (int successes = 0; successes < 3; ++successes) {
                SCOPED_TRACE(testing::Message() << stored.size() << " bytes, step " << int(step) << " after " << successes);
                files = platform::HeadlessFiles{};
                Write(stored);
                files.Refuse(step, successes);
                Record(3, 8);
                EXPECT_EQ(File(), form->scoreFileError ? stored : recorded);
                // Without room for a copy the table is written in place; Remove only runs after a
                // failure, and SetSize only to undo a write in place. A close after the flush loses nothing.
                const bool copied = stored.size() <= kScoreCopyLimit;
                if (successes == 0 && step != Step::Create && step != Step::CreateBeside && step != Step::Remove &&
                    step != Step::SetSize && (copied || (step != Step::Replace && step != Step::Close))) {
                    EXPECT_EQ(form->scoreFileError, 1) << "a failed step is never reported as stored";
                }
                EXPECT_EQ(files.files.size(), 1u) << "no copy is left behind";
                EXPECT_EQ(files.OpenFiles(), 0);
                EXPECT_EQ(files.HeldLocks(), 0);
            }
    // A write stopped part way, to a copy or in place (a short file too), leaves the old table whole.
    const Bytes kShortStored(kStored.begin(), kStored.begin() + 50);
    for (const Bytes& stored : {kStored, kLongStored, kShortStored})
        for (bool copies : {true, false}) {
            SCOPED_TRACE(testing::Message() << stored.size() << " bytes, copies " << copies);
            files = platform::HeadlessFiles{};
            Write(stored);
            if (!copies) files.Refuse(Step::CreateBeside);
            files.sizeLimit = 60;  // past the first difference
            Record(3, 8);
            EXPECT_EQ(form->scoreFileError, 1);
            EXPECT_EQ(File(), stored);
        }
}

TEST_F(ScoreTable, OnDiskAFileSizeLimitIsAFailedWriteThatLeavesTheOldTableAndTheCopyKeepsTheRightsAndTail) {
    const auto disk = platform::MakePosixFiles();  // the players' files, which ignore SIGXFSZ
    devices.services.files = disk.get();
    MoveToScratch();
    const std::filesystem::path file = scratch / "score.drr";
    WriteDisk(file, kStored);
    using std::filesystem::perms;
    std::filesystem::permissions(file, perms::owner_read | perms::owner_write | perms::group_read);

    rlimit saved, small;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    small = saved;
    small.rlim_cur = 20;  // past the first difference
    // A copy, and a write in place (too long to copy), stopped part way.
    const Bytes kLongStored = WithTail(kStored, kScoreCopyLimit + 1);
    for (const Bytes& stored : {kLongStored, kStored}) {
        WriteDisk(file, stored);
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
        Record(3, 8);
        ::setrlimit(RLIMIT_FSIZE, &saved);
        EXPECT_EQ(form->scoreFileError, 1);
        EXPECT_EQ(ReadDisk(file), stored);
    }
    std::signal(SIGXFSZ, SIG_DFL);
    const auto entries = [&] { return std::distance(std::filesystem::directory_iterator(scratch), {}); };
    EXPECT_EQ(entries(), 1) << "no copy is left behind";

    Record(3, 8);
    EXPECT_EQ(form->scoreFileError, 0);
    EXPECT_EQ(ReadDisk(file), kRecorded);
    EXPECT_EQ(std::filesystem::status(file).permissions(), perms::owner_read | perms::owner_write | perms::group_read);
    EXPECT_EQ(entries(), 1);
}

TEST_F(ScoreTable, OnDiskAnUnreadableOrReadOnlyFileIsKeptAndAReadOnlyFolderIsWrittenInPlace) {
    if (::geteuid() == 0) GTEST_SKIP() << "rights do not bind the superuser";
    const auto disk = platform::MakePosixFiles();
    devices.services.files = disk.get();
    MoveToScratch();
    const std::filesystem::path file = scratch / "score.drr";
    WriteDisk(file, kStored);
    using std::filesystem::perms;
    for (perms rights : {perms::owner_write, perms::owner_read}) {
        std::filesystem::permissions(file, rights);
        Record(3, 8);
        EXPECT_EQ(form->scoreFileError, 1);
        std::filesystem::permissions(file, perms::owner_read);
        EXPECT_EQ(ReadDisk(file), kStored);
    }
    std::filesystem::permissions(file, perms::owner_read | perms::owner_write);
    std::filesystem::permissions(scratch, perms::owner_read | perms::owner_exec);
    Record(3, 8);
    std::filesystem::permissions(scratch, perms::owner_all);
    EXPECT_EQ(form->scoreFileError, 0);
    EXPECT_EQ(ReadDisk(file), kRecorded);
}

TEST_F(ScoreTable, TheResultBoxListsKillsAndResultNamesAndNoNameForUnknownRobots) {
    const std::int32_t entries[10] = {12, 7, 3, 0, 2, kRobotCount + 1, -1, -3, 2147483647, 1};
    std::copy(entries, entries + 10, form->ScoreTable);
    EXPECT_EQ(Draw(), (std::multiset<std::string>{
                          "250,210 Great Surviver's SCORE!!", "250,240 First Score  : 12　機",
                          "250,270 Second Score : 3　機", "250,300 Third Score  : 2　機",
                          "250,330 Fourth Score : -1　機", "250,360 Fifth Score  : 2147483647　機",
                          "440,240 VuruRovavu", "440,270 ----", "440,300 ", "440,330 ", "440,360 Vazede type T"}));
    EXPECT_EQ(video->display.Pixel(200, 200), (platform::Color{0, 0, 255}));
    EXPECT_EQ(video->display.Pixel(599, 399), (platform::Color{0, 0, 255}));
    EXPECT_NE(video->display.Pixel(600, 400), (platform::Color{0, 0, 255}));
}

TEST_F(ScoreTable, CheckValuesNeverTrap) {
    // C1 = INT32_MIN with C2 = -1: C3 is 0 and the file passes.
    Write(LittleEndian({-715827884, 1, -715827882, 2, 0, 0, 0, 0, 0, 0, INT32_MIN, 0, -1, 0, 0, 0}));
    Record(5, 3);
    EXPECT_EQ(File(), LittleEndian({5, 3, -715827884, 1, -715827882, 2, 0, 0, 0, 0, 715827887, 0, 8, 0, 7, 0}));
    Write(LittleEndian({0, 4, 1, 4, 0, 4, 0, 4, 0, 4, 2, 0, 0, 0, 0, 0}));  // C2 = 0 never passes
    Record(0, 1);
    EXPECT_EQ(File(), kEmpty);
    // Out of order but passing: the pass leaves kills (1, 1, 0, 1, 0), C2 = 0, stored as 0 and refused next time.
    Write(LittleEndian({1, 1, 0, 2, 1, 3, 0, 4, 0, 5, 4, 0, 3, 0, 1, 0}));
    Record(1, 6);
    EXPECT_EQ(File(), LittleEndian({1, 1, 1, 3, 0, 2, 1, 6, 0, 4, 7, 0, 0, 0, 0, 0}));
    Record(0, 1);
    EXPECT_EQ(File(), kEmpty);
}

TEST_F(ScoreTable, TheResultScreenCountsOnFromTheVersusScreenToSixHundredThenStarts) {
    form->GameMode = ModeSurvival;
    form->GameStage = StageResult;
    form->StageFrameCounter = 200;  // F1 at 200: 400 frames
    form->scoreFileError = 1;
    form->p1RobotNumber = 7;
    music.Stop();
    const auto state = [&] { return std::tuple(form->GameStage, form->StageFrameCounter, form->scoreFileError); };
    for (int frame = 1; frame < 400; ++frame) form->Follow(form->ResultStage());
    EXPECT_EQ(state(), std::tuple(StageResult, 599, 1));
    form->Follow(form->ResultStage());
    EXPECT_EQ(state(), std::tuple(StageModeMenu, 0, 0));
    EXPECT_EQ(music.Playing(), "Start.mid") << "ToStart ran";
    EXPECT_EQ(form->p1RobotNumber, 1);
}
