#include "DiscCd.h"
#include "HeadlessBackends.h"

#include <gtest/gtest.h>

using platform::CdCall;
using platform::CdMode;
using platform::DriveType;

namespace {

const char* const kDrives[] = {"B:", "C:", "D:", "E:", "F:", "G:", "H:", "I:", "J:", "K:", "L:", "M:", "N:"};

struct Cd : testing::Test {
    platform::FakeCd cd;
    void SetUp() override {
        cd.SetDriveType("C:", DriveType::Other);
        cd.SetDriveType("D:", DriveType::CdRom);
        cd.SetDriveType("E:", DriveType::CdRom);
    }
    std::uint32_t Track() {
        std::uint32_t at = 0;
        EXPECT_TRUE(cd.Position(at));
        return static_cast<std::uint32_t>(platform::TmsfTrack(at));
    }
    CdMode Mode() {
        CdMode mode{};
        cd.Mode(mode);
        return mode;
    }
};

TEST_F(Cd, OnlyScriptedLettersAreDrives) {
    std::vector<DriveType> types(13, DriveType::NoDrive);
    types[1] = DriveType::Other;
    types[2] = types[3] = DriveType::CdRom;
    for (int i = 0; i < 13; ++i) EXPECT_EQ(cd.TypeOfDrive(kDrives[i]), types[i]) << kDrives[i];
}

TEST_F(Cd, TrackIsThePositionsLowestByteAndPlayStopsAfterTheLastTrack) {
    cd.InsertDisc(12);
    ASSERT_TRUE(cd.Open("D:"));
    std::int32_t tracks = 0;
    std::uint32_t start = 0;
    ASSERT_TRUE(cd.SetTrackTimeFormat() && cd.TrackCount(tracks) && cd.TrackStart(11, start));
    EXPECT_EQ(tracks, 12);
    ASSERT_TRUE(cd.Seek(start) && cd.Play());
    EXPECT_EQ(Track(), 11u);
    cd.AdvanceToTrack(12);
    EXPECT_EQ(Mode(), CdMode::Playing);
    EXPECT_EQ(Track(), 12u);
    cd.AdvanceToTrack(13);
    EXPECT_EQ(Mode(), CdMode::Stopped);
    EXPECT_EQ(Track(), 12u);
    EXPECT_EQ(cd.Log(), (std::vector<std::string>{"open D:", "tmsf", "tracks", "start 11", "seek 0x0000000B", "play",
                                                  "position", "mode", "position", "mode", "position"}));
}

TEST_F(Cd, DiscTakenOutMidPlayIsMissingAndStopsThePlay) {
    cd.InsertDisc(5);
    ASSERT_TRUE(cd.Open("D:") && cd.Play());
    cd.RemoveDisc();
    bool present = true;
    std::uint32_t at = 7;
    EXPECT_TRUE(cd.MediaPresent(present) && !present);
    EXPECT_NE(Mode(), CdMode::Playing);
    EXPECT_FALSE(cd.Position(at) || at != 0);
}

TEST_F(Cd, FailedQueriesGiveFalseAndNeutralAnswers) {
    cd.InsertDisc(5);
    ASSERT_TRUE(cd.Open("D:") && cd.Play());
    cd.Fail(CdCall::MediaPresent);
    cd.Fail(CdCall::Mode);
    bool present = true;
    CdMode mode = CdMode::Playing;
    EXPECT_FALSE(cd.MediaPresent(present) || present);
    EXPECT_FALSE(cd.Mode(mode) || mode != CdMode::NotOpen);
}

TEST_F(Cd, OpenClosesTheOpenDeviceFirstAndCloseWhenClosedSendsNothing) {
    cd.InsertDisc(3);
    ASSERT_TRUE(cd.Open("D:"));
    EXPECT_FALSE(cd.Open("C:"));  // no CD-ROM drive
    EXPECT_FALSE(cd.ErrorText().empty());
    cd.Close();
    EXPECT_EQ(Mode(), CdMode::NotOpen);
    EXPECT_EQ(cd.Log(), (std::vector<std::string>{"open D:", "close", "open C:"}));
}

// A machine with no drive: the players' CD over an empty drive list.
TEST(NoCd, HasNoDrivesOpensNothingAndAnswersNothing) {
    auto cd = platform::MakeDiscCdAudio({[] { return std::vector<std::string>{}; }, {}});
    for (const char* drive : kDrives) EXPECT_EQ(cd->TypeOfDrive(drive), DriveType::NoDrive) << drive;
    EXPECT_FALSE(cd->Open("N:"));
    EXPECT_FALSE(cd->ErrorText().empty());
    bool present = true;
    CdMode mode = CdMode::Playing;
    std::uint32_t at = 0;
    EXPECT_FALSE(cd->MediaPresent(present) || present || !cd->Mode(mode) || mode != CdMode::NotOpen);
    EXPECT_FALSE(cd->Position(at) || cd->Seek(at) || cd->Play() || cd->Stop());
    cd->Close();
}

}  // namespace
