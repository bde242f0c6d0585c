#include "GameFixture.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace {

class ScoreTable : public GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        MoveToScratch();
        path = scratch / "score.drr";
    }

    // A score file of exactly these 32-bit words.
    void WriteFile(std::vector<std::int32_t> words) {
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(words.data()), words.size() * 4);
    }
    std::vector<std::int32_t> FileWords() {
        std::ifstream in(path, std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::vector<std::int32_t> words(bytes.size() / 4);
        std::memcpy(words.data(), bytes.data(), words.size() * 4);
        return words;
    }
    void Record(std::int32_t kills, std::int32_t robot) {
        form->survivalKills = kills;
        form->p1RobotNumber = robot;
        form->RecordSurvivalRun();
    }

    std::filesystem::path path;
};

}  // namespace

TEST_F(ScoreTable, ChecksGuardTheFileAndAZeroFileFailsThem) {
    // Kills (5, 3, 2, 0, 0) check as 17, 5, 2.
    WriteFile({5, 7, 3, 4, 2, 1, 0, 0, 0, 0, 17, 0, 5, 0, 2, 0});
    Record(1, 9);
    EXPECT_EQ(FileWords(), (std::vector<std::int32_t>{5, 7, 3, 4, 2, 1, 1, 9, 0, 0, 21, 0, 4, 0, 1, 0}));

    // 64 zero bytes fail (C2 of an empty table is 1): the table starts again with this run.
    WriteFile(std::vector<std::int32_t>(16, 0));
    Record(2, 3);
    EXPECT_EQ(FileWords(), (std::vector<std::int32_t>{2, 3, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 3, 0, 2, 0}));
}

TEST_F(ScoreTable, ARunGoesBelowEveryEntryAsGoodAndAnEqualFifthIsNotRecorded) {
    WriteFile({9, 1, 7, 2, 7, 3, 3, 4, 0, 0, 56, 0, 7, 0, 0, 0});
    Record(7, 5);
    const auto words = FileWords();
    EXPECT_EQ((std::vector<std::int32_t>(words.begin(), words.begin() + 10)),
              (std::vector<std::int32_t>{9, 1, 7, 2, 7, 3, 7, 5, 3, 4}));
    Record(3, 8);  // as many as the fifth: not recorded
    EXPECT_EQ(FileWords()[9], 4);
    Record(0, 8);
    EXPECT_EQ(FileWords()[8], 3);
}

TEST_F(ScoreTable, ALongerFileKeepsItsTailAndAShortOneLeavesTheRestInMemory) {
    std::vector<std::int32_t> words(20, 77);
    WriteFile(words);
    Record(4, 2);
    const auto after = FileWords();
    ASSERT_EQ(after.size(), 20u);
    EXPECT_EQ(after[0], 4);
    EXPECT_EQ(after[19], 77);

    form->ScoreTable[6] = 55;
    WriteFile({12, 11, 3});
    form->ReadScoreEntries();
    EXPECT_EQ(form->ScoreTable[0], 12);
    EXPECT_EQ(form->ScoreTable[6], 55);
    EXPECT_TRUE(form->robot11Unlocked) << "from the raw entries, check values or not";
}

TEST_F(ScoreTable, RobotElevenNeedsTenKills) {
    WriteFile({9, 1});
    form->ReadScoreEntries();
    EXPECT_FALSE(form->robot11Unlocked);
    std::filesystem::remove(path);
    form->ReadScoreEntries();
    EXPECT_TRUE(std::filesystem::exists(path)) << "a missing file is created";
}

TEST_F(ScoreTable, CheckValuesNeverTrap) {
    // k1 = INT_MIN makes C1 = INT_MIN; k1 - k2 + ... + 1 = -1 with k2 = INT_MIN + 2.
    const std::int32_t min = INT32_MIN;
    WriteFile({min, 1, min + 2, 1, 0, 0, 0, 0, 0, 0, 0, 0, -1, 0, 0, 0});
    Record(0, 1);
    EXPECT_EQ(form->scoreFileError, 0);
    // Kills (1, 2, 0, 0, 0) give C2 = 0: the check fails without dividing.
    WriteFile({1, 1, 2, 1, 0, 0, 0, 0, 0, 0, 5, 0, 0, 0, 0, 0});
    Record(0, 1);
    EXPECT_EQ(FileWords()[0], 0) << "rejected like any bad file";
}

TEST_F(ScoreTable, AFileThatCannotBeWrittenShowsTheFileError) {
    std::filesystem::create_directory(path);  // neither a file to open nor one to create
    form->StartDS();
    MakeScreen();
    Record(5, 1);
    EXPECT_EQ(form->scoreFileError, 1);
    form->Draw_Result();
    ASSERT_EQ(Texts().size(), 1u);
    EXPECT_EQ(Texts()[0], "File Error(ファイルを初期化(すべて０にする。)します。)");
}

TEST_F(ScoreTable, AWriteThatFailsIsNoSuccess) {
    std::filesystem::create_symlink("/dev/full", path);  // every write there runs out of space
    Record(5, 1);
    EXPECT_EQ(form->scoreFileError, 1);
}

TEST_F(ScoreTable, TheResultBoxListsTheRunsAndTheirRobots) {
    WriteFile({12, 7, 3, 0, 2, 99, 0, 0, 0, 0, 24, 0, 12, 0, 0, 0});
    MakeScreen();
    Record(0, 1);
    form->Draw_Result();
    const auto texts = Texts();
    ASSERT_EQ(texts.size(), 11u);
    EXPECT_EQ(texts[0], "Great Surviver's SCORE!!");
    EXPECT_EQ(texts[1], "First Score  : 12　機");
    EXPECT_EQ(texts[2], "VuruRovavu");
    EXPECT_EQ(texts[4], "----");
    EXPECT_EQ(texts[6], "") << "a robot number no robot has";
}

TEST_F(ScoreTable, TheResultScreenCountsOnFromTheVersusScreenThenLeaves) {
    system.currentDirectory = RUN_DIRECTORY;
    form->FormShow();
    MoveToScratch();
    form->GameStage = StageResult;
    form->StageFrameCounter = 200;
    int frames = 0;
    while (form->GameStage == StageResult && frames < 1000) {
        form->ResultStage();
        ++frames;
    }
    EXPECT_EQ(frames, 400);
    EXPECT_EQ(form->StageFrameCounter, 0);
    EXPECT_EQ(music.Playing(), "Start.mid");
}
