// Stage transitions, and the keys that act outside the menus.
#include "Devices.h"
#include "GameState.h"

#include <iterator>

namespace {

// Each robot's loaders, by robot number - 1: player 1's, then player 2's.
using Loader = void (TForm1::*)();
constexpr Loader kPlayer1Loaders[] = {&TForm1::VidiruIn1, &TForm1::DareDIn1, &TForm1::ZErovIn1, &TForm1::DFIN1,
                                      &TForm1::Vidiru2In1, &TForm1::DIvoIn1, &TForm1::DoviIn1, &TForm1::VOVIn1,
                                      &TForm1::TDodarIn1, &TForm1::ZozerIn1, &TForm1::RodiIn1};
constexpr Loader kPlayer2Loaders[] = {&TForm1::VidiruIn2, &TForm1::DareDIn2, &TForm1::ZErovIn2, &TForm1::DFIN2,
                                      &TForm1::Vidiru2In2, &TForm1::DIvoIn2, &TForm1::DoviIn2, &TForm1::VOVIn2,
                                      &TForm1::TDodarIn2, &TForm1::ZozerIn2, &TForm1::RodiIn2};
static_assert(std::size(kPlayer1Loaders) == kRobotCount && std::size(kPlayer2Loaders) == kRobotCount,
              "a loader of each player for every robot: add the new robot's In1 and In2 (game/roster/Binding.cpp)");

// Calls the player's loader of robot `number`; a number that names no robot binds nothing.
void CallLoader(TForm1& form, int player, std::int32_t number) {
    if (!IsRobot(number)) return;
    const Loader loader = player == 0 ? kPlayer1Loaders[number - 1] : kPlayer2Loaders[number - 1];
    (form.*loader)();
}

void ResetShots(TForm1& form) {
    for (auto& slot : form.shotSlots)
        for (int row = 0; row < kUsedShotRows; ++row)
            for (ShotRecord& shot : slot[row]) ResetShot(shot);
}

void SetAmmunition(TForm1& form) {
    for (int p = 0; p < 2; ++p)
        for (int w = 0; w < 4; ++w)
            if (const WeaponDescriptor* weapon = form.shotSlots[SlotOf(p, w + 1)][0][0].weapon)
                form.players[p].ammo[w] = weapon->ammunition;
}

// A human's 0 means robot 1; the computer's 0, or any number past the last robot, binds nothing.
void BindByNumber(TForm1& form, int player, std::int32_t number, bool human) {
    if (number == 0 && human) number = 1;
    CallLoader(form, player, number);
}

void ResetMenus(TForm1& form) {
    form.p1MenuReady = form.p2MenuReady = 0;
    form.p1RepeatCount = form.p2RepeatCount = 0;
    form.StageFrameCounter = 0;
    form.p1RobotNumber = form.p2RobotNumber = 1;
    form.p1Chosen = form.p2Chosen = 0;
}

}  // namespace

void TForm1::HomeBackgroundGrid() {
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 5; ++j) BackgroundGrid[i][j] = {i * 200 - 100, j * 200 - 100};
}

void TForm1::ToSelect() {
    ResetPlayerRecord(players[0]);
    ResetPlayerRecord(players[1]);
    ResetShots(*this);
    ResetMenus(*this);
    ReadScoreEntries();
    if (!LoadJingle("S_SELECT")) return;
    StopMusicNow();
    EndSegment();
    MakeSegment_Select();
    if (Closing()) return;
    PlayMusicSegment();
}

void TForm1::ToBefore() {
    PrepareDisc();
    ResetPlayerRecord(players[0]);
    ResetPlayerRecord(players[1]);

    const bool computer = GameMode == ModeOnePlayer || GameMode == ModeSurvival;
    std::int32_t opponent = 0;
    if (GameMode == ModeOnePlayer) {
        opponent = CpuLadder[ladderRoute][ladderStep];
    } else if (GameMode == ModeSurvival) {
        opponent = Random() % kRobotCount + 1;
        Difficulty = Random() % 3 + 1;
    }

    BindByNumber(*this, 0, p1RobotNumber, true);
    if (computer) {
        p2RobotNumber = opponent;
        BindByNumber(*this, 1, p2RobotNumber, false);
    } else if (GameMode == ModeTwoPlayers) {
        BindByNumber(*this, 1, p2RobotNumber, true);
    }
    SetAmmunition(*this);

    if (p1FullHeal) {
        players[0].hitPoints = carriedHitPoints = players[0].robot->maxHitPoints;
        if (GameMode == ModeSurvival) p1FullHeal = 0;
    }
    players[1].hitPoints = players[1].robot->maxHitPoints;
    for (PlayerRecord& player : players) player.gauge = player.robot->gaugeMax;

    if (!LoadJingle("S_BEAT")) return;
    PlayFromStart(devices.sound.JingleBuffer, true);

    StopMusicNow();
    EndSegment();
    switch (Random() % 3) {
        case 0: MakeSegment_Fight1(); break;
        case 1: MakeSegment_Fight2(); break;
        default: MakeSegment_Fight3(); break;
    }
}

void TForm1::ToFight() {
    SetAmmunition(*this);

    const std::int32_t full1 = players[0].robot->maxHitPoints;
    if (GameMode == ModeSurvival) {
        // A fifth of the maximum back, never above it; wide enough for any module's figures.
        const std::int64_t healed = std::int64_t(2) * full1 / 10 + carriedHitPoints;
        players[0].hitPoints = healed > full1 ? full1 : static_cast<std::int32_t>(healed);
    } else {
        players[0].hitPoints = full1;
    }
    players[1].hitPoints = players[1].robot->maxHitPoints;

    for (PlayerRecord& player : players) {
        player.gauge = player.robot->gaugeMax;
        for (int k = 0; k < 4; ++k) player.holdFrames[k] = player.accel[k] = player.speed[k] = 0;
        player.actionState = ActionIdle;
        player.decelTick = 0;
        player.motionFrame = 0;
    }
    players[0].posX = 10;
    players[0].posY = 280;
    players[1].posX = 790;
    players[1].posY = 320;
    StageFrameCounter = cpuFrame = cpuState = 0;

    // No shot of the last bout flies into this one, least of all one in a
    // record the new weapons never move, which would hang in the air.
    for (auto& slot : shotSlots)
        for (int row = 0; row < kUsedShotRows; ++row)
            for (ShotRecord& shot : slot[row]) shot.live = shot.canHit = shot.visible = 0;

    StopSound(devices.sound.JingleBuffer);
    if (!LoadJingle("S_START")) return;
    PlayJingle();
    HomeBackgroundGrid();

    if (MusicSource == MusicCd)
        StartCdTrack();
    else
        PlayMusicSegment();
}

void TForm1::ToStart() {
    ResetPlayerRecord(players[0]);
    ResetPlayerRecord(players[1]);
    ResetShots(*this);
    ResetMenus(*this);
    ladderStep = ladderRoute = 0;
    GameStage = StageModeMenu;
    if (!LoadJingle("S_BEGIN")) return;
    EndSegment();
    MakeSegment_Start();
    if (Closing()) return;
    PlayMusicSegment();
}

void TForm1::Follow(StageExit exit) {
    switch (exit) {
        case StageExit::ToSelect: ToSelect(); break;
        case StageExit::ToBefore: ToBefore(); break;
        case StageExit::ToFight: ToFight(); break;
        case StageExit::ToStart: ToStart(); break;
        case StageExit::Stay: break;
    }
}

void TForm1::FormKeyDown(std::uint16_t key) {
    switch (key) {
        case platform::VkEscape:
            CloseForm();
            break;
        case platform::VkF1:
            if (GameMode != ModeSurvival) {
                GameStage = StageModeMenu;
                ToStart();
            } else if (GameStage == StageVersus) {
                RecordSurvivalRun();
                StopSound(devices.sound.JingleBuffer);
                GameStage = StageResult;
            }
            break;
        case platform::VkF2:
            if (GameStage != StageModeMenu) break;
            ResetPlayerRecord(players[0]);
            ResetPlayerRecord(players[1]);
            GameStage = StageVersus;
            StageFrameCounter = 0;
            // A quick survival run starts as one from the select screen does.
            survivalKills = 0;
            p1FullHeal = 1;
            p1RobotNumber = Random() % 4 + 1;
            CallLoader(*this, 0, p1RobotNumber);
            p2RobotNumber = Random() % 4 + 1;
            CallLoader(*this, 1, p2RobotNumber);
            ToBefore();
            break;
        default:
            break;
    }
}
