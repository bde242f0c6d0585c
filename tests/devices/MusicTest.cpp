#include "DeviceFakes.h"
#include "Devices.h"
#include "GameState.h"
#include "HeadlessMusic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>

using platform::HeadlessMusic;
using platform::MusicStep;

namespace {

class TuneFolder : public RecordingSystem {
public:
    std::string folder;
    std::string CurrentDirectory() override { return folder; }
};

// A Standard MIDI File of one silent track, a quarter note long.
void WriteTune(const std::filesystem::path& path) {
    const unsigned char smf[] = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96,
                                 'M', 'T', 'r', 'k', 0, 0, 0, 4, 96, 0xFF, 0x2F, 0};
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(smf), sizeof smf);
}

class MusicTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() / ("tunes-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        for (const char* name : {"Start.mid", "Fighting1.mid", "Fighting2.mid", "Fighting3.mid"}) WriteTune(folder / name);
        system.folder = folder.string();
        devices = Devices{};
        devices.services.application = &application;
        devices.services.music = &music;
        devices.services.system = &system;
    }
    void TearDown() override {
        devices = Devices{};
        std::filesystem::remove_all(folder);
    }

    bool Called(const std::string& call) const {
        return std::count(music.Calls().begin(), music.Calls().end(), call) > 0;
    }

    std::filesystem::path folder;
    HeadlessMusic music;
    TuneFolder system;
    RecordingApplication application;
    Devices devices{};
    std::unique_ptr<TForm1> form{new TForm1(devices)};
};

}  // namespace

TEST_F(MusicTest, TheStartTuneLoopsAndAStageChangeSwapsIt) {
    form->StartDirectMusic();
    form->MakeSegment_Start();
    form->PlayMusicSegment();
    ASSERT_FALSE(application.Closed());
    EXPECT_EQ(music.Playing(), "Start.mid");
    EXPECT_TRUE(Called("SetLoopPoints Start.mid 0 0"));
    EXPECT_TRUE(Called("SetRepeats Start.mid 65536"));

    // To the versus screen: the fight tune is loaded but silent until the fight.
    form->StopMusicNow();
    form->EndSegment();
    form->MakeSegment_Fight2();
    EXPECT_EQ(music.Playing(), "");
    EXPECT_EQ(music.LiveSegments(), 1u);
    EXPECT_EQ(music.LiveStates(), 0u);
    form->PlayMusicSegment();
    EXPECT_EQ(music.Playing(), "Fighting2.mid");
}

TEST_F(MusicTest, TunesAreFoundWhereTheGameStarted) {
    form->StartDirectMusic();
    system.folder = "/nowhere";
    form->MakeSegment_Fight3();
    EXPECT_FALSE(application.Closed());
    EXPECT_EQ(music.SearchDirectory(), folder.string());
}

TEST_F(MusicTest, AMissingTuneClosesTheFormWithoutAMessage) {
    form->StartDirectMusic();
    form->MakeSegment_Select();
    EXPECT_EQ(application.closes, 1);
    EXPECT_TRUE(system.boxes.empty());
    EXPECT_NE(std::string(devices.closeReason).find(" " + (folder / "Select.mid").string() + " "), std::string::npos)
        << devices.closeReason;
    form->PlayMusicSegment();  // nothing to play
    EXPECT_EQ(music.Playing(), "");
}

TEST_F(MusicTest, EachFailedSetUpStepClosesWithoutAMessage) {
    for (MusicStep step : {MusicStep::Start, MusicStep::CreatePerformance, MusicStep::InitialisePerformance,
                           MusicStep::CreateLoader, MusicStep::AddDefaultPort}) {
        HeadlessMusic refusing;
        RecordingApplication closing;
        devices.services.music = &refusing;
        devices.services.application = &closing;
        refusing.Refuse(step);
        form->StartDirectMusic();
        EXPECT_EQ(closing.closes, 1) << static_cast<int>(step);
        EXPECT_TRUE(system.boxes.empty());
        EXPECT_TRUE(std::string(devices.closeReason).starts_with("music: ")) << static_cast<int>(step);
        form->EndDirectMusic();
        devices.music = MusicObjects{};
        devices.closeReason[0] = 0;
    }
    devices.services.music = &music;
    devices.services.application = &application;
    system.folder = "";
    form->StartDirectMusic();
    EXPECT_EQ(application.closes, 1) << "no current directory";
}

TEST_F(MusicTest, EndingATuneWithNoneLoadedOnlyStops) {
    form->StartDirectMusic();
    form->EndSegment();
    EXPECT_EQ(music.Calls().back(), "StopAll measure");
    EXPECT_FALSE(Called("UnloadInstruments none"));
}

TEST_F(MusicTest, ShutDownReleasesEverythingEvenWhenAStepFails) {
    form->StartDirectMusic();
    form->MakeSegment_Start();
    form->PlayMusicSegment();
    music.Refuse(MusicStep::StopAll);
    music.Refuse(MusicStep::UnloadInstruments);
    form->EndDirectMusic();
    EXPECT_EQ(application.closes, 1) << "a close while closing starts no second one";
    EXPECT_EQ(music.LiveSegments(), 0u);
    EXPECT_EQ(music.LiveStates(), 0u);
    EXPECT_FALSE(devices.music.musicPerformance || devices.music.musicLoader || devices.music.started);
}
