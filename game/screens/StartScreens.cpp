// The screens before a fight: the start menus, the robot selection and the
// versus screen. Each handler reads the players' controls once a frame and
// moves the state on; its drawer paints the screen afterwards in the same frame.
#include "RobotTable.h"
#include "Screens.h"

#include <cstdio>

namespace {

constexpr int kAxisUp = 1, kAxisDown = 2;
constexpr int kButtonDecide = 1;
constexpr int kArmingFrames = 10;
constexpr int kHandoverFrames = 15;     // from the (last) decision to the versus screen
constexpr int kClosingMessageFrames = 60;
constexpr int kVersusLastFrame = 240;   // the counter value the versus screen is last drawn at

constexpr platform::Color kGreen{0, 128, 0};
constexpr platform::Color kWhite{255, 255, 255};
constexpr platform::Color kGrey{128, 128, 128};

// A menu input acts once and then rests: while disarmed the counter runs, and
// on its 10th frame the input arms for the frame after. A held key therefore
// steps once every 11 frames. True while armed.
bool Armed(std::uint8_t& ready, std::int32_t& repeatCount) {
    if (ready) return true;
    if (++repeatCount >= kArmingFrames) {
        repeatCount = 0;
        ready = 1;
    }
    return false;
}

// The nearest robot from `robot` on in `step` (-1 up, +1 down) the cursor may
// rest on: locked robots are passed over; with none, the cursor stays.
std::int32_t NextChoice(std::int32_t robot, int step, bool unlocked) {
    for (std::int32_t n = robot + step; IsRobot(n); n += step)
        if (Selectable(n, unlocked)) return n;
    return robot;
}

// One player's cursor on the select screen. True in the frame the player decides.
struct Chooser {
    const PlayerRecord& controls;
    std::uint8_t& ready;
    std::int32_t& repeatCount;
    std::int32_t& robot;
    std::int32_t& chosen;
};

bool Choose(TForm1& form, const Chooser& c) {
    if (!Armed(c.ready, c.repeatCount)) return false;
    if (c.chosen) return false;  // a choice is final; the input stays armed meanwhile
    if (c.controls.axisY == kAxisUp) {
        c.ready = 0;
        c.robot = NextChoice(c.robot, -1, form.robot11Unlocked);
    } else if (c.controls.axisY == kAxisDown) {
        c.ready = 0;
        c.robot = NextChoice(c.robot, 1, form.robot11Unlocked);
    }
    if (c.controls.buttonCode != kButtonDecide) return false;
    form.PlayJingle();
    c.ready = 0;
    c.chosen = 1;
    return true;
}

// ---- drawing ----

void BeginScreen(const Scene& scene, platform::Canvas& dc) {
    dc.FillRect(0, 0, platform::kPictureWidth, platform::kPictureHeight, scene.paints.brushBlack);
    dc.SetTextTransparent();
}

// The three green lines at the top of the start and select screens.
void Title(platform::Canvas& dc, const char* first, const char* second, const char* third) {
    dc.SetTextColor(kGreen);
    dc.TextOut(0, 25, first);
    dc.TextOut(0, 50, second);
    dc.TextOut(0, 75, third);
}

void TextWithNumber(platform::Canvas& dc, std::int32_t x, std::int32_t y, const char* format, int value) {
    char line[64];
    std::snprintf(line, sizeof line, format, value);
    dc.TextOut(x, y, line);
}

void MenuLine(platform::Canvas& dc, std::int32_t y, const char* text, bool selected) {
    dc.SetTextColor(selected ? kWhite : kGrey);
    dc.TextOut(0, y, text);
}

// A chevron pointing right with its tip at (650, tipY).
void Chevron(platform::Canvas& dc, platform::PenId pen, std::int32_t tipY) {
    dc.SelectPen(pen);
    dc.MoveTo(640, tipY - 10);
    dc.LineTo(650, tipY);
    dc.MoveTo(640, tipY + 10);
    dc.LineTo(650, tipY);
}


}  // namespace

StageExit TForm1::StartStage() {
    const PlayerRecord& p1 = players[0];
    if (GameStage == StageClosingMessage) {
        if (++StageFrameCounter < kClosingMessageFrames) return StageExit::Stay;
        GameStage = StageSelect;
        StageFrameCounter = 0;
        p1MenuReady = 0;
        return StageExit::ToSelect;
    }
    if (GameStage < StageModeMenu || GameStage > StageDifficultyMenu) return StageExit::Stay;
    if (!Armed(p1MenuReady, p1RepeatCount)) return StageExit::Stay;

    // The step first, then the decision, which may come in the same frame.
    switch (GameStage) {
        case StageModeMenu:
            if (p1.axisY == kAxisDown) {
                if (GameMode < ModeSurvival) ++GameMode;
                p1RepeatCount = 0;
                p1MenuReady = 0;
            } else if (p1.axisY == kAxisUp) {
                if (GameMode > ModeOnePlayer) --GameMode;
                p1RepeatCount = 0;
                p1MenuReady = 0;
            }
            if (p1.buttonCode == kButtonDecide) {
                PlayJingle();
                GameStage = StageMusicMenu;
                p1RepeatCount = 0;
                p1MenuReady = 0;
            }
            break;
        case StageMusicMenu:
            if (p1.axisY == kAxisDown) {
                MusicSource = MusicMidi;
                p1MenuReady = 0;
            } else if (p1.axisY == kAxisUp) {
                MusicSource = MusicCd;
                p1MenuReady = 0;
            }
            if (p1.buttonCode == kButtonDecide) {
                PlayJingle();
                // Only the one-player ladder asks for a difficulty.
                GameStage = GameMode == ModeOnePlayer ? StageDifficultyMenu : StageClosingMessage;
                p1MenuReady = 0;
            }
            break;
        case StageDifficultyMenu:
            if (p1.axisY == kAxisDown) {
                if (Difficulty < DifficultyHard) ++Difficulty;
                p1MenuReady = 0;
            } else if (p1.axisY == kAxisUp) {
                if (Difficulty > DifficultyEasy) --Difficulty;
                p1MenuReady = 0;
            }
            if (p1.buttonCode == kButtonDecide) {
                PlayJingle();
                GameStage = StageClosingMessage;
                StageFrameCounter = 0;
                p1MenuReady = 0;
            }
            break;
        default:
            break;
    }
    return StageExit::Stay;
}

StageExit TForm1::SelectStage() {
    // The game speed follows player 1's guard and dash buttons every frame they are held.
    const std::int32_t button = players[0].buttonCode;
    if (button == ButtonGuard && FrameDelay > 0) --FrameDelay;
    if (button == ButtonDash && FrameDelay < 100) ++FrameDelay;

    const Chooser p1{players[0], p1MenuReady, p1RepeatCount, p1RobotNumber, p1Chosen};
    bool decided = false;
    if (GameMode == ModeOnePlayer || GameMode == ModeSurvival) {
        // The computer's robot is picked on the way to the versus screen.
        if (Choose(*this, p1)) ladderRoute = LadderRouteOf(p1RobotNumber);
        decided = p1Chosen != 0;
    } else if (GameMode == ModeTwoPlayers) {
        Choose(*this, p1);
        Choose(*this, {players[1], p2MenuReady, p2RepeatCount, p2RobotNumber, p2Chosen});
        decided = p1Chosen && p2Chosen;
    }
    if (!decided || ++StageFrameCounter < kHandoverFrames) return StageExit::Stay;

    p1FullHeal = 1;
    if (GameMode == ModeSurvival) survivalKills = 0;  // a new run
    GameStage = StageVersus;
    return StageExit::ToBefore;
}

StageExit TForm1::BeforeStage() {
    if (MusicSource == MusicCd && Armed(p1MenuReady, p1RepeatCount)) {
        // Tracks 1 to CdTrackCount - 1; a press at a bound still rests the input.
        const std::int32_t button = players[0].buttonCode;
        if (button == ButtonGuard || button == ButtonDash) {
            if (button == ButtonGuard && CdTrack - 1 > 0) --CdTrack;
            if (button == ButtonDash && CdTrack + 1 < CdTrackCount) ++CdTrack;
            p1MenuReady = 0;
            p1RepeatCount = 0;
        }
    }

    // The counter goes on from the stage before: 15 after the selection, 0 after a fight.
    if (++StageFrameCounter <= kVersusLastFrame) return StageExit::Stay;
    StopWaveFile();
    GameStage = StageIntro;
    return StageExit::ToFight;
}

DrawReport Draw_Start(const Scene& scene, platform::Canvas& dc) {
    const FormState& form = scene.state;
    BeginScreen(scene, dc);
    Title(dc, "This is Vorntak_proto3.0.", "This is Exiciting,ActionGame.", "This should make you Hot & Cool!");
    TextWithNumber(dc, 0, 90, "JoySet1= %d", scene.joySet1);
    TextWithNumber(dc, 0, 105, "JoySet2= %d", scene.joySet2);

    switch (form.GameStage) {
        case StageModeMenu:
            MenuLine(dc, 155, "1Player?", form.GameMode == ModeOnePlayer);
            MenuLine(dc, 190, "2Player?", form.GameMode == ModeTwoPlayers);
            MenuLine(dc, 235, "Survival Mode?", form.GameMode == ModeSurvival);
            break;
        case StageMusicMenu:
            MenuLine(dc, 155, "Music = CD", form.MusicSource == MusicCd);
            MenuLine(dc, 190, "Music = MIDI", form.MusicSource == MusicMidi);
            break;
        case StageDifficultyMenu:
            MenuLine(dc, 155, "EASY", form.Difficulty == DifficultyEasy);
            MenuLine(dc, 190, "NORMAL", form.Difficulty == DifficultyNormal);
            MenuLine(dc, 225, "HARD", form.Difficulty == DifficultyHard);
            break;
        case StageClosingMessage:
            MenuLine(dc, 155, "OK!! Have A Nice Fight!!", true);
            break;
        default:
            break;
    }
    return {};
}

std::int32_t SelectNameY(std::int32_t robot, int count) {
    // 50 pixels a name while the list fits above 550; a longer list closes up to end there.
    constexpr std::int32_t kPitch = 50, kLowest = 550;
    const std::int32_t pitch = count > kLowest / kPitch ? kLowest / count : kPitch;
    return pitch * robot;
}

DrawReport Draw_Select(const Scene& scene, platform::Canvas& dc) {
    const FormState& form = scene.state;
    BeginScreen(scene, dc);
    Title(dc, "Hi!Select Your Favorite Machine!", "They are Strong Machine,qUL.", "But they are ArrowMark visually! ");
    TextWithNumber(dc, 0, 500, "GAME-SPEED = %d", 100 - form.FrameDelay);

    for (int n = 1; n <= kRobotCount; ++n)
        if (Selectable(n, form.robot11Unlocked)) dc.TextOut(650, SelectNameY(n, kRobotCount), kRobotNames[n - 1].select);

    // Player 2's chevron sits 5 pixels below player 1's, so both show on one name.
    if (IsRobot(form.p1RobotNumber))
        Chevron(dc, scene.paints.penP1Arrow, SelectNameY(form.p1RobotNumber, kRobotCount) + 15);
    if (form.GameMode == ModeTwoPlayers && IsRobot(form.p2RobotNumber))
        Chevron(dc, scene.paints.penP2Arrow, SelectNameY(form.p2RobotNumber, kRobotCount) + 20);
    return {};
}

DrawReport Draw_BS(const Scene& scene, platform::Canvas& dc) {
    const FormState& form = scene.state;
    BeginScreen(scene, dc);

    // The names fade out as the fight nears. Outside 1-250 the colour is left as it is.
    const std::int32_t frame = form.StageFrameCounter;
    if (frame >= 1 && frame <= 250) {
        constexpr std::uint8_t kShades[5] = {255, 191, 127, 95, 63};
        const std::uint8_t shade = kShades[(frame - 1) / 50];
        dc.SetTextColor({shade, shade, shade});
    }

    if (form.GameMode == ModeSurvival) {
        dc.TextOut(520, 530, "Return:F1 Key On Keyboard!");
        TextWithNumber(dc, 520, 550, "SURVIVAL MODE :%d機撃墜", form.survivalKills);
    }
    if (IsRobot(form.p1RobotNumber)) dc.TextOut(300, 240, kRobotNames[form.p1RobotNumber - 1].versus);
    dc.TextOut(340, 290, "VS");
    if (IsRobot(form.p2RobotNumber)) dc.TextOut(360, 320, kRobotNames[form.p2RobotNumber - 1].versus);

    if (form.MusicSource == MusicCd) TextWithNumber(dc, 350, 350, "CD-Track = %d", form.CdTrack);
    return {};
}
