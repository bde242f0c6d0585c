// Start-up, the frame loop and shut-down. A step that closes the form ends
// the steps of its caller at once: nothing later in that start-up or frame runs.
#include "Devices.h"
#include "GameState.h"
#include "Opponent.h"
#include "RobotTable.h"
#include "Screens.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace {

platform::Display& Display(Devices& devices) { return *devices.services.display; }

constexpr const char* kModuleFailure = "DLL読み込みに支障が見られました。もう一度スタート画面に戻ります。";

// The handler and the drawer of each stage, 1 to kStageCount.
struct Stage {
    StageExit (TForm1::*handler)();
    DrawReport (*drawer)(const Scene& scene, platform::Canvas& dc);
};
constexpr Stage kStages[] = {
    {&TForm1::StartStage, &Draw_Start},   // 1 mode menu
    {&TForm1::StartStage, &Draw_Start},   // 2 music menu
    {&TForm1::StartStage, &Draw_Start},   // 3 difficulty menu
    {&TForm1::StartStage, &Draw_Start},   // 4 closing message
    {&TForm1::SelectStage, &Draw_Select}, // 5 robot selection
    {&TForm1::BeforeStage, &Draw_BS},     // 6 versus screen
    {&TForm1::FightStage, &Draw_FS},      // 7 fight intro
    {&TForm1::FightStage, &Draw_FS},      // 8 fight
    {&TForm1::FightStage, &Draw_FS},      // 9 fight end
    {&TForm1::ResultStage, &Draw_Result}, // 10 survival results
};
static_assert(std::size(kStages) == kStageCount, "a handler and a drawer for every stage");

const Stage* StageOf(std::int32_t stage) {
    return stage >= 1 && stage <= static_cast<std::int32_t>(std::size(kStages)) ? &kStages[stage - 1] : nullptr;
}

}  // namespace

// Without a picture the game would run on unseen: a failed step releases what
// exists and closes the form, naming the step (no message box).
void TForm1::StartDX() {
    DisplayObjects& d = devices.display;
    const char* failed = nullptr;
    if (!(d.directDraw = Display(devices).CreateDevice()))
        failed = "no video device could be opened";
    else if (!Display(devices).TakeFullScreen())
        failed = "no full-screen window could be made";
    else if (!Display(devices).SetMode(platform::kPictureWidth, platform::kPictureHeight, 8))
        failed = "the 800 x 600 picture mode could not be set";
    else if (!(d.primarySurface = Display(devices).CreateSurfaces()))
        failed = "the picture surfaces could not be made";
    else if (!(d.backSurface = Display(devices).AttachBackBuffer()))
        failed = "no back buffer could be attached";
    if (!failed) return;
    EndDX();
    CloseFormOnError("display: %s", failed);
}

void TForm1::EndDX() {
    DisplayObjects& d = devices.display;
    if (!d.directDraw) return;
    if (d.backSurface) Display(devices).ReleaseBackBuffer();
    if (d.primarySurface) Display(devices).ReleaseSurfaces();
    Display(devices).ReleaseDevice();
    d.backSurface = d.primarySurface = d.directDraw = false;
}

void TForm1::MakePensAndBrushes() {
    DisplayObjects& d = devices.display;
    d.brushBlack = Display(devices).CreateBrush({0, 0, 0});
    d.brushBlue = Display(devices).CreateBrush({0, 0, 255});
    d.brushRed = Display(devices).CreateBrush({255, 0, 0});
    d.brushGreen = Display(devices).CreateBrush({0, 255, 0});
    d.brushMagenta = Display(devices).CreateBrush({255, 0, 255});
    d.penP1Robot = Display(devices).CreatePen(6, {0, 0, 255});
    d.penP2Robot = Display(devices).CreatePen(6, {255, 0, 0});
    d.penP1Stunned = Display(devices).CreatePen(6, {0, 0, 128});
    d.penP2Stunned = Display(devices).CreatePen(6, {128, 0, 0});
    d.penP1Beam = Display(devices).CreatePen(15, {0, 255, 0});
    d.penP2Beam = Display(devices).CreatePen(15, {255, 0, 255});
    d.penP1Arrow = Display(devices).CreatePen(1, {0, 0, 255});
    d.penP2Arrow = Display(devices).CreatePen(1, {255, 0, 0});
    d.penGrid = Display(devices).CreatePen(1, {0, 120, 0});
}

void TForm1::DeletePensAndBrushes() {
    DisplayObjects& d = devices.display;
    for (platform::BrushId* brush : {&d.brushBlack, &d.brushBlue, &d.brushRed, &d.brushGreen, &d.brushMagenta}) {
        if (*brush) Display(devices).DeleteBrush(*brush);
        *brush = 0;
    }
    for (platform::PenId* pen : {&d.penP1Robot, &d.penP2Robot, &d.penP1Stunned, &d.penP2Stunned, &d.penP1Beam,
                                 &d.penP2Beam, &d.penP1Arrow, &d.penP2Arrow, &d.penGrid}) {
        if (*pen) Display(devices).DeletePen(*pen);
        *pen = 0;
    }
}

void TForm1::FormShow() {
    devices.JoySet1 = devices.JoySet2 = 0;
    StartDX();
    if (Closing()) return;
    StartDS();
    if (Closing()) return;
    StartDirectMusic();
    if (Closing()) return;

    std::memcpy(CpuLadder, kCpuLadder, sizeof CpuLadder);
    ResetPlayerRecord(players[0]);
    ResetPlayerRecord(players[1]);
    for (auto& slot : shotSlots)
        for (int row = 0; row < kUsedShotRows; ++row)
            for (ShotRecord& shot : slot[row]) ResetShot(shot);
    for (int robot = 0; robot < kRobotCount; ++robot) ThinkTable[robot] = {kThinkRoutines[robot], this};
    MakeDefaultWeapon();
    GameMode = ModeOnePlayer;

    // Robot 4 for both players, before anybody chooses.
    DFIN1();
    DFIN2();
    players[0].posX = 100;
    players[0].posY = 100;
    players[1].posX = 700;
    players[1].posY = 500;
    for (int p = 0; p < 2; ++p) {
        players[p].hitPoints = players[p].robot->maxHitPoints;
        players[p].gauge = players[p].robot->gaugeMax;
        for (int w = 0; w < 4; ++w) players[p].ammo[w] = shotSlots[SlotOf(p, w + 1)][0][0].weapon->ammunition;
    }

    MakePensAndBrushes();
    if (!LoadJingle("S_BEGIN")) return;

    GameStage = StageModeMenu;
    p1MenuReady = p2MenuReady = 0;
    FrameDelay = 0;
    Difficulty = DifficultyEasy;
    SeedRandom(devices.services.system->ClockSeconds());
    ladderStep = ladderRoute = 0;
    scoreFileError = 0;
    robot11Unlocked = 0;

    // One centre serves both axes of a stick; a missing stick keeps 0.
    std::uint32_t* centres[2] = {&joyCentre, &joy2Centre};
    for (int id = 0; id < 2; ++id) {
        platform::JoystickPosition position;
        platform::JoystickCaps caps;
        if (devices.services.joysticks->ReadPosition(id, position) && devices.services.joysticks->ReadCaps(id, caps))
            *centres[id] = (caps.xMin + caps.xMax) / 2 + 1;
    }

    Display(devices).HideCursor();
    HomeBackgroundGrid();

    MakeSegment_Start();
    if (Closing()) return;
    PlayMusicSegment();
    devices.idleInstalled = true;
}

void TForm1::AppIdle() {
    // The steps late frames owe are repaid before the one drawing, one more a
    // frame, so that every count of frames keeps its time under load.
    const int steps = std::max(Display(devices).StepsDue(), 1);
    for (int step = 0; step < steps; ++step) {
        ControlHead();
        if (const Stage* stage = StageOf(GameStage); stage && stage->handler) Follow((this->*stage->handler)());
        if (Closing()) return;
    }

    // The drawer is the one of the stage the handler left, so a change of stage shows at once.
    if (platform::Canvas* canvas = Display(devices).TakeContext()) {
        if (const Stage* stage = StageOf(GameStage); stage && stage->drawer) {
            const Scene scene{*this, devices.display, devices.JoySet1, devices.JoySet2};
            // Answered while the canvas is still held, as the drawer's own checks were.
            AnswerDrawer(stage->drawer(scene, *canvas));
        }
        Display(devices).ReleaseContext();
        if (Closing()) return;
    }
    const auto delay = static_cast<std::uint32_t>(FrameDelay);
    Display(devices).Flip(delay);
    devices.services.system->Sleep(delay);
}

void TForm1::AnswerDrawer(const DrawReport& report) {
    for (int k = 0; k < report.missingDefinitions && !Closing(); ++k) {
        ShowError(devices, kModuleFailure);
        ToStart();
    }
}

int TForm1::FinishRun() {
    if (!devices.closeReason[0]) return 0;
    std::fprintf(stderr, "Torvane: %s\n", devices.closeReason);
    return 1;
}

void TForm1::FormClose() {
    DeletePensAndBrushes();
    EndDX();
    EndDirectSound();
    EndDirectMusic();
    Display(devices).RestoreCursor();
    CloseCd();
}
