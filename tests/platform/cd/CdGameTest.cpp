// The game with "Music = CD" on the players' CD back end and a generated disc
// image, every other service headless: the versus screen's track choice, the
// fight's clock, and a disc that goes away.
#include "DiscCd.h"
#include "DiscImage.h"
#include "GameFixture.h"
#include "PlayerBackends.h"
#include "ScriptedDisc.h"
#include "ScriptedPlayer.h"

#include <SDL.h>

#include <sys/stat.h>

#include <chrono>
#include <set>

namespace {

namespace fs = std::filesystem;

class CdGame : public GameFixture {
protected:
    void SetUp() override {
        setenv("VORNTAK_CD", WriteDiscImage(disc.path, "disc", kTestDisc).c_str(), 1);
        form->MediaPlayer1 = realCd.get();
        StartGame();
        fs::copy_file(fs::path(RUN_DIRECTORY) / "Cut1.wav", scratch / "Cut1.wav");
    }
    void TearDown() override {
        GameFixture::TearDown();
        form->MediaPlayer1 = nullptr;
    }

    // The versus screen as the selection enters it, "Music = CD" chosen on the start screen.
    void EnterVersus() {
        form->MusicSource = MusicCd;
        form->GameMode = ModeTwoPlayers;
        form->p1RobotNumber = 7;
        form->p2RobotNumber = 4;
        form->GameStage = StageVersus;
        form->StageFrameCounter = 0;
        form->ToBefore();
    }
    // One pass of the frame loop, noting the CD tracks shown.
    void Frame() {
        form->AppIdle();
        for (const auto& text : video->display.Texts())
            if (text.text.rfind("CD-Track = ", 0) == 0) shownTracks.insert(std::stoi(text.text.substr(11)));
    }
    // Frames until the stage is not `stage`; a failure after a minute of them.
    void PlayOut(int stage) {
        for (int f = 0; form->GameStage == stage; ++f) {
            ASSERT_LT(f, 3600) << "stage " << stage << " never ended";
            Frame();
        }
    }
    // Frames 5 ms apart while `going` holds; the seconds they took.
    template <typename Going>
    double PlayWhile(Going going, double limit) {
        const auto start = std::chrono::steady_clock::now();
        double seconds = 0;
        for (; going() && seconds < limit; SDL_Delay(5)) {
            Frame();
            seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        }
        return seconds;
    }
    bool CdOpen() {
        platform::CdMode mode{};
        return realCd->Mode(mode) && mode != platform::CdMode::NotOpen;
    }

    DiscFolder disc;
    std::unique_ptr<platform::CdAudio> realCd = platform::MakeLibcdioCdAudio();
    std::set<int> shownTracks;
};

TEST_F(CdGame, TheChosenTrackIsTheFightsClock) {
    EnterVersus();
    ASSERT_EQ(form->MusicSource, MusicCd);
    EXPECT_EQ(std::tuple(form->CdTrackCount, form->CdTrack), std::tuple(3, 1));
    // Player 1's buttons 6, 5 and 6 again, each held a second: never past the last track but one.
    for (std::uint8_t key : {kPlayer1Keys.dash, kPlayer1Keys.guard, kPlayer1Keys.dash}) {
        video->keyboard.SetKey(key, true);
        for (int f = 0; f < 60; ++f) Frame();
        video->keyboard.SetKey(key, false);
    }
    EXPECT_EQ(shownTracks, (std::set<int>{1, 2}));
    EXPECT_EQ(form->CdTrack, 2);
    PlayOut(StageVersus);  // its last frame starts the track

    // Track 2 plays 1.2 s; track 3's pregap ends the fight, the higher hit points winning.
    auto jinglePlays = [&] { return platform::HeadlessSound::Inspect(devices.sound.JingleBuffer)->plays; };
    P(0).hitPoints = 500;
    P(1).hitPoints = 400;
    platform::SoundBuffer* jingle = nullptr;  // as it was before the deciding frame
    int playsBefore = 0;
    const double seconds = PlayWhile(
        [&] {
            if (form->GameStage >= StageFightEnd) return false;
            jingle = devices.sound.JingleBuffer;
            playsBefore = jinglePlays();
            return true;
        },
        10);
    EXPECT_GT(seconds, 1.0) << "the mixer's clock never runs ahead of real time";
    EXPECT_EQ(std::tuple(form->GameStage, form->FightWinner), std::tuple(StageFightEnd, 1));
    EXPECT_EQ(std::pair(devices.sound.JingleBuffer, jinglePlays()), std::pair(jingle, playsBefore + 1))
        << "the deciding frame plays the jingle";
    EXPECT_FALSE(CdOpen());
    EXPECT_EQ(form->MusicSource, MusicCd) << "the next bout prepares the disc again";
}

TEST_F(CdGame, ADiscGoneInTheFightSoundsCut1AndTheNextBoutHasMidi) {
    EnterVersus();
    PlayOut(StageVersus);
    PlayOut(StageIntro);
    ASSERT_EQ(form->GameStage, StageFight);
    SDL_Delay(100);
    fs::rename(disc.path / "disc.bin", disc.path / "gone.bin");
    EXPECT_LT(PlayWhile([&] { return form->MusicSource == MusicCd; }, 10), 10) << "never noticed";
    ASSERT_EQ(system.wavePlays.size(), 2u) << "the versus screen's stop, then the sound";
    EXPECT_EQ(fs::path(system.wavePlays[1].path).filename(), "Cut1.wav");
    EXPECT_TRUE(system.wavePlays[1].playable);
    EXPECT_FALSE(CdOpen());
    for (int f = 0; f < 200; ++f) Frame();
    EXPECT_EQ(form->GameStage, StageFight) << "no clock now: only a knock-out ends it";

    fs::rename(disc.path / "gone.bin", disc.path / "disc.bin");
    form->GameStage = StageVersus;
    form->StageFrameCounter = 0;
    form->ToBefore();
    shownTracks.clear();
    PlayOut(StageVersus);
    EXPECT_TRUE(shownTracks.empty());
    EXPECT_EQ(form->MusicSource, MusicMidi);
    ASSERT_EQ(system.wavePlays.size(), 3u);
    EXPECT_EQ(system.wavePlays[2].path, "") << "the versus screen's end stops a sound still playing";
    EXPECT_EQ(music.Playing().rfind("Fighting", 0), 0u) << music.Playing();
    EXPECT_FALSE(CdOpen());
}

// A disc that stops answering mid-fight: F1 leaves the fight at once, the
// next bouts are MIDI while the read still hangs (no second worker), and Esc
// ends the game, none of them waiting for the read to end.
TEST_F(CdGame, AStalledReadHoldsNeitherF1NorTheNextBoutNorEsc) {
    auto script = std::make_shared<DiscScript>();
    script->stallFrom = 60;  // within a second of track 1
    script->Close();
    realCd = platform::MakeDiscCdAudio(ScriptedDrives(script));
    form->MediaPlayer1 = realCd.get();
    EnterVersus();
    ASSERT_EQ(std::tuple(form->MusicSource, form->CdTrackCount), std::tuple(MusicCd, 3));
    PlayOut(StageVersus);
    PlayOut(StageIntro);
    for (int f = 0; f < 3600 && script->stalled == 0; ++f) Frame();
    ASSERT_EQ(script->stalled, 1);
    PlayWhile([] { return true; }, 0.2);
    EXPECT_EQ(form->GameStage, StageFight) << "the fight goes on in silence";

    const auto start = std::chrono::steady_clock::now();
    form->FormKeyDown(platform::VkF1);
    EXPECT_EQ(form->GameStage, StageModeMenu);
    for (int bout = 0; bout < 2; ++bout) {
        EnterVersus();
        EXPECT_EQ(form->MusicSource, MusicMidi) << "bout " << bout;
    }
    form->FormKeyDown(platform::VkEscape);
    EXPECT_TRUE(video->application.Closed());
    realCd.reset();
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 10) << "held by the read";
    EXPECT_EQ(std::pair(script->stalled.load(), script->opens.load()), std::pair(1, 1))
        << "the read still waits, left behind, and no other worker began";
    script->Open();
}

// Sheets made to break an image's reader: a lone TRACK 99, and a sheet whose
// file is missing beside a FIFO of the sheet's own name. Each bout is MIDI.
TEST_F(CdGame, ACraftedSheetIsMidiWithoutAWordBoutAfterBout) {
    const fs::path cue = disc.path / "disc.cue";
    auto twoBouts = [&](const char* what) {
        for (int bout = 0; bout < 2; ++bout) {
            EnterVersus();
            EXPECT_EQ(form->MusicSource, MusicMidi) << what;
            PlayOut(StageVersus);
            EXPECT_EQ(music.Playing().rfind("Fighting", 0), 0u) << what << ": " << music.Playing();
        }
    };
    std::ofstream(cue, std::ios::trunc) << "FILE \"disc.bin\" BINARY\nTRACK 99 AUDIO\nINDEX 01 00:00:00\n";
    twoBouts("TRACK 99");
    fs::remove(disc.path / "disc.bin");
    ASSERT_EQ(::mkfifo((disc.path / "disc.bin").c_str(), 0600), 0);
    std::ofstream(cue, std::ios::trunc) << "FILE \"nowhere.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n";
    twoBouts("a FIFO by the sheet's name");
    EXPECT_TRUE(shownTracks.empty() && system.boxes.empty());
}

TEST_F(CdGame, NoDriveAndNoImageIsMidiWithoutAWord) {
    unsetenv("VORNTAK_CD");
    if (realCd->TypeOfDrive("B:") == platform::DriveType::CdRom) GTEST_SKIP() << "this machine has an optical drive";
    EnterVersus();
    EXPECT_EQ(form->MusicSource, MusicMidi);
    PlayOut(StageVersus);
    EXPECT_TRUE(shownTracks.empty() && system.boxes.empty());
    EXPECT_EQ(music.Playing().rfind("Fighting", 0), 0u) << music.Playing();
}

}  // namespace
