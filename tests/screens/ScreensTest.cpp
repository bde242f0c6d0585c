#include "GameFixture.h"
#include "Screens.h"

#include <cstdio>
#include <tuple>
#include <utility>

namespace {

using Road = std::vector<std::pair<int, int>>;  // (frame from 1, stage entered)
using Lines = std::vector<std::string>;
constexpr platform::Color kBlue{0, 0, 255}, kRed{255, 0, 0}, kBlack{0, 0, 0};

class Screens : public GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        StartGame();
    }
    void Hold(int axisY, int button, int player = 0) {
        form->players[player].axisY = axisY;
        form->players[player].buttonCode = button;
    }
    // As the frame loop runs a stage: its handler, then the drawer of the stage it left.
    int Frame() {
        const int s = form->GameStage;
        form->Follow(s == 5 ? form->SelectStage() : s == 6 ? form->BeforeStage() : s >= 1 && s <= 4 ? form->StartStage() : StageExit::Stay);
        return Draw();
    }
    int Draw() {
        platform::Canvas& dc = *video->display.TakeContext();
        const int s = form->GameStage;
        const Scene scene = View();
        s == 5 ? Draw_Select(scene, dc) : s == 6 ? Draw_BS(scene, dc) : s >= 1 && s <= 4 ? Draw_Start(scene, dc) : DrawReport{};
        video->display.ReleaseContext();
        return s;
    }
    Road Run(int frames) {
        Road road;
        for (int f = 1, before = form->GameStage; f <= frames; ++f, before = form->GameStage)
            if (Frame() != before) road.push_back({f, form->GameStage});
        return road;
    }
    void EnterSelection(std::int32_t mode) {  // as the select screen's transition leaves it
        form->GameMode = mode;
        form->GameStage = StageSelect;
        form->p1RobotNumber = form->p2RobotNumber = 1;
        form->p1Chosen = form->p2Chosen = form->StageFrameCounter = form->p1RepeatCount = form->p2RepeatCount = 0;
        form->p1MenuReady = form->p2MenuReady = 0;
    }
    Lines Texts() const {  // "x,y r,g,b text", transparent ones only
        Lines out;
        for (const platform::DrawnText& t : video->display.Texts()) {
            char place[64];
            std::snprintf(place, sizeof place, "%d,%d %d,%d,%d ", t.x, t.y, t.color.r, t.color.g, t.color.b);
            if (t.transparent) out.push_back(place + t.text);
        }
        return out;
    }
    bool Shows(const std::string& text) const {
        for (const platform::DrawnText& t : video->display.Texts())
            if (t.text == text) return true;
        return false;
    }
    int JinglePlays() const { return platform::HeadlessSound::Inspect(devices.sound.JingleBuffer)->plays; }
};

}  // namespace

TEST_F(Screens, AHeldDecideWalksTheStartMenusOnTheirFrameCounts) {
    Hold(0, 1);
    EXPECT_EQ(Run(33), (Road{{11, 2}, {22, 3}, {33, 4}}));
    EXPECT_EQ(JinglePlays(), 3);
    EXPECT_EQ(Run(60), (Road{{60, 5}})) << "frame 93 in all";
    EXPECT_EQ(music.Playing(), "Select.mid");

    // Two players and survival skip the difficulty; the closing message still shows for 60 frames.
    for (std::int32_t mode : {ModeTwoPlayers, ModeSurvival}) {
        form->ToStart();
        form->GameMode = mode;
        Hold(0, 1);
        EXPECT_EQ(Run(22), (Road{{11, 2}, {22, 4}})) << "mode " << mode;
        EXPECT_EQ(Texts().back(), "0,155 255,255,255 OK!! Have A Nice Fight!!");
        EXPECT_EQ(Run(60), (Road{{60, 5}}));
    }
}

TEST_F(Screens, TheArmingGateStepsAHeldKeyOnceInElevenFramesAndABoundStillRests) {
    Hold(2, 0);
    std::vector<int> modes;
    for (int f = 1; f <= 45; ++f)
        if (Frame(); f % 11 == 10 || f % 11 == 0) modes.push_back(form->GameMode);
    EXPECT_EQ(modes, (std::vector<int>{1, 2, 2, 3, 3, 3, 3, 3}));
    EXPECT_EQ(form->p1MenuReady, 0) << "the press at the bound disarmed";
    Hold(1, 0);
    Run(40);
    EXPECT_EQ(form->GameMode, ModeOnePlayer);

    form->p1MenuReady = 1;
    Hold(2, 1);  // a step and a decision in one armed frame both act
    EXPECT_EQ(Run(1), (Road{{1, StageMusicMenu}}));
    EXPECT_EQ(form->GameMode, ModeTwoPlayers);
    Hold(1, 0);
    Run(11);
    EXPECT_EQ(form->MusicSource, MusicCd);
    form->GameStage = StageDifficultyMenu;
    Hold(2, 0);
    Run(60);
    EXPECT_EQ(form->Difficulty, DifficultyHard);
}

TEST_F(Screens, TheLockedRobotIsListedAndReachableOnlyOnceUnlocked) {
    const std::int32_t locked = kLockedRobot;
    EnterSelection(ModeOnePlayer);
    Hold(2, 0);
    Run(11 * kRobotCount);  // a step every 11 frames: past every robot
    EXPECT_EQ(form->p1RobotNumber, kLastOpenRobot);
    EXPECT_FALSE(Shows(kRobotNames[locked - 1].select));
    form->robot11Unlocked = 1;
    Run(11 * kRobotCount);
    EXPECT_EQ(form->p1RobotNumber, kRobotCount);
    const Lines texts = Texts();
    ASSERT_EQ(texts.size(), 4u + kRobotCount);
    for (std::int32_t n = 1; n <= kRobotCount; ++n)
        EXPECT_EQ(texts[3 + n], "650," + std::to_string(SelectNameY(n, kRobotCount)) + " 0,128,0 " +
                                    kRobotNames[n - 1].select);
    EXPECT_TRUE(Shows(kRobotNames[locked - 1].select));
    EXPECT_EQ(video->display.Pixel(645, SelectNameY(kRobotCount, kRobotCount) + 10), kBlue)
        << "player 1's chevron at the last robot";
}

// Today's list keeps its 50-pixel rows from 50 down; a longer one closes up
// and keeps every name and chevron on the picture, the names still apart.
TEST(SelectList, NamesStandFiftyPixelsApartWhileTheyFitAndCloseUpToStayOnThePicture) {
    constexpr int kFontHeight = 12;
    for (int count = 1; count <= 550 / kFontHeight; ++count) {
        if (50 * count <= 550) {
            for (int n = 1; n <= count; ++n) EXPECT_EQ(SelectNameY(n, count), 50 * n) << n << " of " << count;
        }
        for (int n = 2; n <= count; ++n)
            EXPECT_GE(SelectNameY(n, count) - SelectNameY(n - 1, count), kFontHeight) << n << " of " << count;
        EXPECT_GE(SelectNameY(1, count), kFontHeight) << count;
        EXPECT_LT(SelectNameY(count, count) + 20 + 10, platform::kPictureHeight) << "player 2's chevron, " << count;
    }
    EXPECT_LT(SelectNameY(kRobotCount + 1, kRobotCount + 1) + 30, platform::kPictureHeight) << "one robot more";
}

TEST_F(Screens, OnePlayerDecidesTheLadderAndHandsOverFifteenFramesLater) {
    for (auto [mode, robot, route] : {std::tuple{ModeSurvival, 6, 1}, {ModeSurvival, 7, 0}, {ModeOnePlayer, 9, 1}}) {
        EnterSelection(mode);
        form->survivalKills = 5;
        form->p1RobotNumber = robot;
        form->p1MenuReady = 1;
        form->ladderRoute = 1 - route;
        Hold(0, 1);
        EXPECT_EQ(Run(15), (Road{{15, 6}}));
        EXPECT_EQ(form->ladderRoute, route);
        EXPECT_EQ(form->StageFrameCounter, 15);
        // Survival uses the full heal on its first versus screen and starts counting kills anew.
        EXPECT_EQ(form->p1FullHeal, mode == ModeOnePlayer);
        EXPECT_EQ(form->survivalKills, mode == ModeOnePlayer ? 5 : 0);
    }
}

TEST_F(Screens, PlayerOnesRobotPicksTheLadderRouteAndEachStepItsOpponent) {
    const std::vector<std::int32_t> ladders[2] = {{6, 10, 3, 4, 9, 11}, {1, 5, 7, 8, 2, 11}};
    for (std::int32_t robot = 1; robot <= kRobotCount; ++robot) {
        EnterSelection(ModeOnePlayer);
        form->ladderStep = 0;
        form->p1RobotNumber = robot;
        form->p1MenuReady = 1;
        Hold(0, 1);
        ASSERT_EQ(Run(15), (Road{{15, 6}}));
        // Robots 3, 4, 6, 9, 10 and 11 climb the second ladder, the others the first.
        const int route = robot == 3 || robot == 4 || robot == 6 || robot >= 9 ? 1 : 0;
        EXPECT_EQ(std::tuple(form->ladderRoute, form->p2RobotNumber), std::tuple(route, ladders[route][0])) << robot;
    }
    for (int route = 0; route < 2; ++route) {
        std::vector<std::int32_t> met;
        form->ladderRoute = route;
        for (form->ladderStep = 0; form->ladderStep < kLadderSteps; ++form->ladderStep) {
            form->ToBefore();
            met.push_back(form->p2RobotNumber);
        }
        EXPECT_EQ(met, ladders[route]);
    }
    EXPECT_FALSE(video->application.Closed());
}

TEST_F(Screens, TwoPlayersHandOverFifteenFramesAfterTheSecondDecisionWhichIsFinal) {
    EnterSelection(ModeTwoPlayers);
    form->p1RobotNumber = 6;
    form->p1MenuReady = 1;  // player 2 arms on frame 10, steps and decides on 11
    Hold(0, 1);
    Hold(2, 1, 1);
    const int plays = JinglePlays();
    Run(1);
    EXPECT_EQ(JinglePlays(), plays + 1) << "player 1's decision";
    Hold(1, 0);
    Run(10);
    EXPECT_EQ(JinglePlays(), plays + 2) << "player 2's decision";
    EXPECT_EQ(Run(14), (Road{{14, 6}}));
    EXPECT_EQ(form->p1RobotNumber, 6) << "no change after the choice";
    EXPECT_EQ(form->p2RobotNumber, 2);
    EXPECT_EQ(form->ladderRoute, 0);
    EXPECT_EQ(form->p1FullHeal, 1);

    EnterSelection(ModeTwoPlayers);
    form->p2RobotNumber = 3;
    Draw();
    EXPECT_EQ(video->display.Pixel(645, SelectNameY(1, kRobotCount) + 10), kBlue);
    EXPECT_EQ(video->display.Pixel(645, SelectNameY(3, kRobotCount) + 15), kRed) << "5 pixels below player 1's place";
    form->GameMode = ModeOnePlayer;
    Draw();
    EXPECT_EQ(video->display.Pixel(645, 165), kBlack) << "no second chevron against the computer";
}

TEST_F(Screens, GameSpeedFollowsTheGuardAndDashButtonsEveryFrameWithinItsRange) {
    EnterSelection(ModeOnePlayer);
    Hold(0, ButtonDash);
    Run(100);
    EXPECT_EQ(form->FrameDelay, 100);
    Run(5);
    EXPECT_EQ(form->FrameDelay, 100);
    EXPECT_EQ(Texts()[3], "0,500 0,128,0 GAME-SPEED = 0");
    Hold(0, ButtonGuard);
    Run(101);
    EXPECT_EQ(form->FrameDelay, 0);
    EXPECT_EQ(Texts()[3], "0,500 0,128,0 GAME-SPEED = 100");
}

TEST_F(Screens, TheVersusScreenRunsOnFromTheCounterItInherits) {
    EnterSelection(ModeTwoPlayers);
    form->p1MenuReady = form->p2MenuReady = 1;
    Hold(0, 1);
    Hold(0, 1, 1);
    int versusFrames = 0;
    for (int f = 0; f < 300; ++f) versusFrames += Frame() == StageVersus;
    EXPECT_EQ(versusFrames, 226) << "from the selection's 15";
    EXPECT_EQ(form->GameStage, StageIntro);
    EXPECT_EQ(system.wavePlays, (std::vector<platform::HeadlessSystem::WavePlay>{{}})) << "one stop of the WAVE file";

    form->GameStage = StageVersus;
    form->StageFrameCounter = 0;  // as the end of a fight enters it
    versusFrames = Draw() == StageVersus;
    for (int f = 0; f < 300; ++f) versusFrames += Frame() == StageVersus;
    EXPECT_EQ(versusFrames, 241);
}

TEST_F(Screens, TheCdTrackStaysWithinOneAndOneBelowTheTrackCount) {
    auto holdFor = [&](int button, int frames) {
        Hold(0, button);
        for (int f = 0; f < frames; ++f, form->StageFrameCounter = 0) Frame();
        return form->CdTrack;
    };
    form->GameStage = StageVersus;
    form->MusicSource = MusicCd;
    form->CdTrackCount = 12;
    form->CdTrack = 1;
    EXPECT_EQ(holdFor(ButtonDash, 11), 2);
    EXPECT_EQ(holdFor(ButtonDash, 200), 11);
    EXPECT_TRUE(Shows("CD-Track = 11"));
    EXPECT_EQ(holdFor(ButtonGuard, 200), 1);
    form->CdTrackCount = 1;
    EXPECT_EQ(holdFor(ButtonDash, 30), 1);

    form->MusicSource = MusicMidi;
    form->CdTrackCount = 12;
    EXPECT_EQ(holdFor(ButtonDash, 30), 1);
    EXPECT_FALSE(Shows("CD-Track = 1"));
}

TEST_F(Screens, TheScreensDrawTheirTextsInPlaceAndColour) {
    devices.JoySet1 = 3;
    form->GameMode = ModeTwoPlayers;
    Draw();
    EXPECT_EQ(Texts(), (Lines{"0,25 0,128,0 This is Vorntak_proto3.0.", "0,50 0,128,0 This is Exiciting,ActionGame.",
                              "0,75 0,128,0 This should make you Hot & Cool!", "0,90 0,128,0 JoySet1= 3",
                              "0,105 0,128,0 JoySet2= 0", "0,155 128,128,128 1Player?", "0,190 255,255,255 2Player?",
                              "0,235 128,128,128 Survival Mode?"}));

    form->GameStage = StageSelect;
    Draw();
    const Lines select = Texts();
    EXPECT_EQ(Lines(select.begin(), select.begin() + 3),
              (Lines{"0,25 0,128,0 Hi!Select Your Favorite Machine!", "0,50 0,128,0 They are Strong Machine,qUL.",
                     "0,75 0,128,0 But they are ArrowMark visually! "}));

    // The versus screen fades; at 0 it keeps the context's black.
    form->GameStage = StageVersus;
    form->GameMode = ModeSurvival;
    form->survivalKills = 4;
    form->p1RobotNumber = 4;
    form->p2RobotNumber = 10;
    for (auto [counter, shade] : {std::pair{0, 0}, {1, 255}, {50, 255}, {51, 191}, {150, 127}, {151, 95}, {250, 63}}) {
        form->StageFrameCounter = counter;
        Draw();
        const std::string s = std::to_string(shade), c = s + "," + s + "," + s + " ";
        EXPECT_EQ(Texts(), (Lines{"520,530 " + c + "Return:F1 Key On Keyboard!", "520,550 " + c + "SURVIVAL MODE :4機撃墜",
                                  "300,240 " + c + "Vo-Do", "340,290 " + c + "VS",
                                  "360,320 " + c + "Vaved Avedove Zidi"}))
            << counter;
    }
}
