#include "DeviceFakes.h"
#include "Devices.h"
#include "FakeCd.h"
#include "GameState.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using platform::DriveType;
using platform::FakeCd;

namespace {

class CdTest : public ::testing::Test {
protected:
    void SetUp() override {
        devices = Devices{};
        devices.services.system = &system;
        form->MediaPlayer1 = &cd;
        form->MusicSource = MusicCd;
        cd.SetDriveType("E:", DriveType::CdRom);
    }
    void TearDown() override { devices = Devices{}; }

    bool Sent(const std::string& command) const {
        return std::count(cd.Log().begin(), cd.Log().end(), command) > 0;
    }

    FakeCd cd;
    RecordingSystem system;
    Devices devices{};
    std::unique_ptr<TForm1> form{new TForm1(devices)};
};

}  // namespace

TEST_F(CdTest, TheFirstCdRomDriveIsUsed) {
    cd.SetDriveType("D:", DriveType::CdRom);
    cd.SetDriveType("C:", DriveType::Other);
    EXPECT_EQ(form->CheckDrive(), 1);
    EXPECT_STREQ(form->CdDrive, "D:");

    FakeCd none;
    form->MediaPlayer1 = &none;
    EXPECT_EQ(form->CheckDrive(), 0);
    EXPECT_STREQ(form->CdDrive, "N:");
}

TEST_F(CdTest, ADiscIsPreparedFromItsFirstTrack) {
    cd.InsertDisc(12);
    form->CdTrack = 7;
    form->PrepareDisc();
    EXPECT_EQ(form->MusicSource, MusicCd);
    EXPECT_EQ(form->CdTrackCount, 12);
    EXPECT_EQ(form->CdTrack, 1);
    EXPECT_EQ(cd.OpenDrive(), "E:");
}

TEST_F(CdTest, NoDiscNoDriveOrNoPlayerFallsBackToMidi) {
    form->PrepareDisc();  // drive, but no disc
    EXPECT_EQ(form->MusicSource, MusicMidi);
    EXPECT_FALSE(cd.IsOpen());

    FakeCd noDrive;  // the usual case here: the open itself fails
    form->MediaPlayer1 = &noDrive;
    form->MusicSource = MusicCd;
    form->PrepareDisc();
    EXPECT_EQ(form->MusicSource, MusicMidi);
    EXPECT_TRUE(system.boxes.empty());

    form->MediaPlayer1 = nullptr;
    form->MusicSource = MusicCd;
    form->PrepareDisc();
    EXPECT_EQ(form->MusicSource, MusicMidi);
}

TEST_F(CdTest, TheChosenTrackPlaysFromItsStartAndItsEndIsTheClock) {
    cd.InsertDisc(12);
    form->PrepareDisc();
    form->CdTrack = 11;
    cd.AdvanceToTrack(5);
    form->StartCdTrack();
    EXPECT_TRUE(Sent("start 11"));
    EXPECT_TRUE(Sent("play"));
    EXPECT_FALSE(form->CdTrackChanged());

    cd.AdvanceToTrack(12);
    EXPECT_TRUE(form->CdTrackChanged());
    EXPECT_FALSE(cd.IsOpen()) << "stopped and closed";
    EXPECT_FALSE(form->CdTrackChanged()) << "a closed player never ends a fight";
}

TEST_F(CdTest, AOneTrackDiscEndsOnlyByKnockOut) {
    cd.InsertDisc(1);
    form->PrepareDisc();
    form->StartCdTrack();
    cd.AdvanceToTrack(2);  // past the last track the drive stops
    EXPECT_FALSE(form->CdTrackChanged());
}

TEST_F(CdTest, AStoppedPlayerNeverEndsTheFight) {
    cd.InsertDisc(3);
    form->PrepareDisc();
    form->StartCdTrack();
    cd.SetMode(platform::CdMode::Stopped);  // stopped mid-track, then moved on to the next one
    cd.AdvanceToTrack(2);
    EXPECT_FALSE(form->CdTrackChanged());
    EXPECT_TRUE(cd.IsOpen());
}

TEST_F(CdTest, FailedQueriesNeverEndTheFight) {
    cd.InsertDisc(3);
    form->PrepareDisc();
    form->StartCdTrack();
    cd.AdvanceToTrack(2);
    cd.Fail(platform::CdCall::Position);
    EXPECT_FALSE(form->CdTrackChanged());
}

TEST_F(CdTest, APulledDiscCutsTheMusicAndMidiTakesOver) {
    cd.InsertDisc(3);
    form->PrepareDisc();
    form->StartCdTrack();
    form->WatchDisc();
    EXPECT_TRUE(system.waveFiles.empty());

    cd.RemoveDisc();
    form->WatchDisc();
    ASSERT_EQ(system.waveFiles.size(), 1u);
    EXPECT_EQ(system.waveFiles[0], "/run/Cut1.wav");
    EXPECT_FALSE(cd.IsOpen());
    EXPECT_EQ(form->MusicSource, MusicMidi);
}
