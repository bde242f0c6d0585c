#include "DeviceFakes.h"
#include "GameFixture.h"
#include "Opponent.h"

#include <algorithm>
#include <fstream>
#include <functional>
#include <vector>

using platform::SoundStep;

namespace {

// Five buffers in the sound start-up (four hit sounds, the start jingle), then
// four fire sounds for each player's robot 4: the start jingle is the 14th.
constexpr int kBuffersBeforeTheStartJingle = 13;

// Notes what was already gone when the device went, and when the CD closed.
class OrderedSound : public platform::HeadlessSound {
public:
    platform::HeadlessDisplay* display = nullptr;
    bool displayGoneFirst = false;
    void ReleaseDevice() override {
        displayGoneFirst = !display->Ready();
        HeadlessSound::ReleaseDevice();
    }
};

}  // namespace

TEST_F(GameFixture, StartUpBindsRobotFourForBothPlayersAndPlaysTheTitleTune) {
    form->FormShow();
    ASSERT_FALSE(video->application.Closed());
    EXPECT_TRUE(devices.idleInstalled);
    EXPECT_TRUE(system.boxes.empty());
    EXPECT_EQ(form->GameStage, StageModeMenu);
    EXPECT_EQ(music.Playing(), "Start.mid");
    EXPECT_TRUE(video->display.CursorHidden());

    const int x[2] = {100, 700}, y[2] = {100, 500};
    for (int p = 0; p < 2; ++p) {
        const PlayerRecord& player = form->players[p];
        EXPECT_EQ(player.robot, &form->robotDescs[p]);
        EXPECT_EQ(player.posX, x[p]);
        EXPECT_EQ(player.posY, y[p]);
        EXPECT_GT(player.hitPoints, 0);
        EXPECT_EQ(player.hitPoints, form->robotDescs[p].maxHitPoints);
        EXPECT_EQ(player.gauge, form->robotDescs[p].gaugeMax);
        EXPECT_EQ(player.ammo[0], form->weapons[p][0].ammunition);
        EXPECT_EQ(player.ammo[3], 100) << "the default weapon's";
        EXPECT_STREQ(TextChars(form->weapons[p][0].fireSound), "ACID");
    }
    EXPECT_EQ(form->BackgroundGrid[5][4].x, 900);
    EXPECT_EQ(form->CpuLadder[1][2], 7);
}

TEST_F(GameFixture, ARefusedStartJingleShowsOneBoxAndClosesBeforeAnyFrame) {
    sound.Refuse(SoundStep::CreateBuffer, kBuffersBeforeTheStartJingle);
    form->FormShow();
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"セカンダリ設定失敗1"});
    EXPECT_TRUE(video->application.Closed());
    EXPECT_FALSE(devices.idleInstalled);
    EXPECT_EQ(music.LiveSegments(), 0u) << "the title tune was never loaded";
    EXPECT_EQ(FinishRunSays(), "Torvane: sound: cannot make the sound S_BEGIN\n");
    EXPECT_EQ(status, 1);
}

TEST_F(GameFixture, AStartJingleFailingInTheSoundStartUpClosesBeforeTheMusic) {
    sound.Refuse(SoundStep::CreateBuffer, 4);
    form->FormShow();
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"セカンダリ設定失敗2"});
    EXPECT_TRUE(video->application.Closed());
    EXPECT_TRUE(music.Calls().empty());
}

TEST_F(GameFixture, AMissingTitleTuneClosesWithoutAMessageBoxSayingWhereItWasLookedFor) {
    system.currentDirectory = "/";
    form->FormShow();
    EXPECT_TRUE(video->application.Closed());
    EXPECT_TRUE(system.boxes.empty());
    EXPECT_FALSE(devices.idleInstalled);
    EXPECT_TRUE(FinishRunSays().starts_with("Torvane: music: cannot load the tune /Start.mid ("));
    EXPECT_EQ(status, 1);
}

TEST_F(GameFixture, ATitleTuneOverTheSizeLimitClosesSayingItIsTooLarge) {
    MoveToScratch();
    std::vector<char> tune(platform::kMaxTuneFileBytes + 1);
    std::copy_n("MThd\0\0\0\6\0\1\0\1\1\xe0", 14, tune.begin());
    std::ofstream(scratch / "Start.mid", std::ios::binary).write(tune.data(), static_cast<std::streamsize>(tune.size()));
    form->FormShow();
    EXPECT_TRUE(video->application.Closed());
    EXPECT_EQ(FinishRunSays(), "Torvane: music: cannot load the tune " + (scratch / "Start.mid").string() +
                                   " (too large: a tune may be at most 8 MiB)\n");
}

TEST_F(GameFixture, WithoutRobotFourTheStartUpReportsEveryBufferThenCloses) {
    RecordingSystem noModules;  // loads nothing
    noModules.boxes.clear();
    devices.services.system = &noModules;
    form->FormShow();
    EXPECT_EQ(noModules.Texts(),
              (std::vector<std::string>{"WaveFormatデータの読み込み失敗1", "セカンダリ設定失敗D1", "セカンダリ設定失敗D2",
                                        "セカンダリ設定失敗D3", "セカンダリ設定失敗D4", "セカンダリ設定失敗",
                                        "セカンダリ設定失敗1"}));
    EXPECT_TRUE(video->application.Closed());
    EXPECT_EQ(form->players[0].robot->maxHitPoints, 0);
    EXPECT_TRUE(FinishRunSays().starts_with("Torvane: robot module: Saltrim.so could not be bound"));
}

TEST_F(GameFixture, ClosingReleasesTheDisplayThenSoundThenMusicThenTheCd) {
    OrderedSound ordered;
    ordered.display = &video->display;
    devices.services.sound = &ordered;
    cd.SetDriveType("D:", platform::DriveType::CdRom);
    cd.InsertDisc(3);
    form->FormShow();
    ASSERT_FALSE(video->application.Closed());
    form->MusicSource = MusicCd;
    form->PrepareDisc();
    ASSERT_TRUE(cd.IsOpen());
    form->FormKeyDown(platform::VkEscape);

    EXPECT_TRUE(video->application.Closed());
    EXPECT_TRUE(ordered.displayGoneFirst);
    EXPECT_FALSE(ordered.DeviceExists());
    EXPECT_EQ(music.Calls().back(), "Stop");
    EXPECT_EQ(video->display.LivePens() + video->display.LiveBrushes(), 0);
    EXPECT_FALSE(video->display.CursorHidden());
    EXPECT_FALSE(cd.IsOpen());
}

TEST_F(GameFixture, FramesRunUntilEscapeClosesTheForm) {
    form->FormShow();
    form->FrameDelay = 7;
    video->application.QueueKey(platform::VkEscape, 250);
    video->application.Run([&](std::uint16_t key) { form->FormKeyDown(key); }, [&] { form->AppIdle(); });
    EXPECT_EQ(video->application.Frames(), 250);
    EXPECT_EQ(video->display.Flips(), 250);
    EXPECT_EQ(video->display.ContextsGiven(), video->display.ContextsReleased());
    ASSERT_EQ(system.sleeps.size(), 250u);
    EXPECT_EQ(system.sleeps.back(), 7u);
    EXPECT_EQ(FinishRunSays(), "");
    EXPECT_EQ(status, 0);
}

TEST_F(GameFixture, LateFramesAreMadeUpBeforeTheOneDrawingSoTheGameKeepsSixtyStepsASecond) {
    form->FormShow();
    // Ten simulated seconds: a frame of 60 ms at 1 s, a second of 40 ms frames from 3 s.
    video->display.SetFrameTime([](int f) { return f == 60 ? 60.0 : f >= 180 && f < 205 ? 40.0 : 2.0; });
    int mostSteps = 0;
    while (video->display.ClockMs() < 10000) {
        const int steps = video->keyboard.Reads(), frames = video->display.ContextsGiven();
        form->AppIdle();
        mostSteps = std::max(mostSteps, video->keyboard.Reads() - steps);  // one read a step
        ASSERT_EQ(video->display.ContextsGiven(), frames + 1);
    }
    EXPECT_NEAR(video->keyboard.Reads(), 600, 1);
    EXPECT_EQ(mostSteps, 2);
}

// GAME-SPEED is the pause after each flip: a frame of no work lasts the
// longer of the pause and a tick, runs one step, and the pause is never made up.
TEST_F(GameFixture, GameSpeedSlowsTheFramesAndTheStepsOfEachSimulatedSecond) {
    form->FormShow();
    for (const auto& [pause, perSecond] : {std::pair{0, 60}, {50, 20}, {100, 10}, {0, 60}}) {
        form->FrameDelay = pause;
        const double start = video->display.ClockMs();
        const int steps = video->keyboard.Reads(), flips = video->display.Flips();
        while (video->display.ClockMs() < start + 10000) form->AppIdle();
        EXPECT_NEAR(video->display.Flips() - flips, 10 * perSecond, 2) << pause;
        EXPECT_NEAR(video->keyboard.Reads() - steps, 10 * perSecond, 2) << pause;
        EXPECT_EQ(system.sleeps.back(), static_cast<std::uint32_t>(pause));
    }
}

TEST_F(GameFixture, TheFrameHandsTheStartScreenBothJoystickSettings) {
    form->FormShow();
    devices.JoySet1 = 3;
    devices.JoySet2 = 5;
    form->AppIdle();
    const std::vector<std::string> texts = Texts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), "JoySet1= 3"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "JoySet2= 5"), texts.end());
}

TEST_F(GameFixture, FramesWithoutAPictureRunUnseen) {
    form->FormShow();
    ASSERT_FALSE(video->application.Closed());
    for (int frame = 0; frame < 3; ++frame) video->display.FailContextOnFrame(frame);
    for (std::int32_t stage : {0, 3, 11}) {
        form->GameStage = stage;
        form->AppIdle();
    }
    EXPECT_EQ(video->display.ContextsGiven(), 0);
    EXPECT_EQ(system.sleeps.size(), 3u);
}

TEST_F(GameFixture, WithoutADisplayTheStartUpClosesAtOnceAndSaysWhichStepFailed) {
    video->display.Refuse(platform::DisplayStep::SetMode);
    form->FormShow();
    EXPECT_TRUE(video->application.Closed());
    EXPECT_FALSE(devices.idleInstalled);
    EXPECT_TRUE(system.boxes.empty());
    EXPECT_FALSE(sound.DeviceExists());
    EXPECT_TRUE(music.Calls().empty());
    EXPECT_EQ(FinishRunSays(), "Torvane: display: the 800 x 600 picture mode could not be set\n");
    EXPECT_EQ(status, 1);
}

TEST_F(GameFixture, AHeldDecideWalksTheMenusAndTheNewStageIsDrawnInItsFirstFrame) {
    form->FormShow();
    video->keyboard.SetKey('G', true);
    std::vector<int> changes;  // the frames on which the stage changed
    std::int32_t stage = form->GameStage;
    bool selectDrawnAtOnce = false;
    for (int frame = 1; frame <= 100 && stage != StageSelect; ++frame) {
        form->AppIdle();
        if (form->GameStage == stage) continue;
        stage = form->GameStage;
        changes.push_back(frame);
        if (stage == StageSelect)
            for (const auto& text : video->display.Texts()) selectDrawnAtOnce |= text.text == "GAME-SPEED = 100";
    }
    EXPECT_EQ(changes, (std::vector<int>{11, 22, 33, 93}));
    EXPECT_TRUE(selectDrawnAtOnce);
    EXPECT_EQ(music.Playing(), "Select.mid");
}

TEST_F(GameFixture, TheThinkTableHoldsEachRobotsOpponentAtItsNumberLessOne) {
    form->FormShow();
    // Twelve decisions over every band and difficulty tell the routines apart.
    const auto decisions = [&](const std::function<void()>& decide) {
        std::vector<std::int32_t> out;
        for (std::uint32_t seed = 1; seed <= 12; ++seed) {
            form->SeedRandom(seed);
            form->cpuState = form->cpuAdvance = form->cpuAction = form->cpuDuration = 0;
            form->Difficulty = static_cast<std::int32_t>(seed % 3 + 1);
            form->players[0].posX = form->players[1].posX - static_cast<std::int32_t>(60 * seed);
            decide();
            out.insert(out.end(), {form->cpuAdvance, form->cpuAction, form->cpuDuration});
        }
        return out;
    };
    for (int robot = 0; robot < kRobotCount; ++robot) {
        const ThinkRoutine& entry = form->ThinkTable[robot];
        ASSERT_EQ(entry.object, form.get());
        EXPECT_EQ(decisions([&] { entry.code(*entry.object); }), decisions([&] { RunOpponent(*form, kCpuProfiles[robot]); }))
            << "robot " << robot + 1;
    }
}

// A parameterised test's name holds a '/': its scratch folder must still be one
// folder in the temporary folder, which the fixture removes whole.
class ParameterisedGame : public GameFixture, public testing::WithParamInterface<int> {};

TEST_P(ParameterisedGame, ScratchFolderLiesDirectlyInTheTemporaryFolder) {
    MoveToScratch();
    EXPECT_EQ(scratch.parent_path(), std::filesystem::temp_directory_path());
}

INSTANTIATE_TEST_SUITE_P(Scratch, ParameterisedGame, testing::Values(1));
