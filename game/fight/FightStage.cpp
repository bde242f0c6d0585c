// One frame of a bout, in stages 7 (the intro), 8 (the fight) and 9 (the end).
// The stage moves nothing itself but the scroll and the walk-in: it runs the
// robots' and the shots' routines in a fixed order, player 1 first, and keeps
// the stage's clock. A step that closes the form ends the frame at once.
#include "FightStage.h"

#include "Devices.h"
#include "Motion.h"
#include "Shots.h"
#include "Wide.h"

namespace {

constexpr std::int32_t kIntroFrames = 75;
constexpr std::int32_t kWalkInStep = 10;
constexpr std::int32_t kKnockOutFrames = 10;
constexpr std::int32_t kEndFrames = 150;
constexpr std::int32_t kLastLadderStep = kLadderSteps - 1;

// What a robot moving out toward an edge adds to the scroll: the opposite of its speed.
std::int64_t ShareOf(std::int32_t position, std::int64_t velocity, std::int32_t nearEdge, std::int32_t farEdge) {
    if ((position < nearEdge && velocity < 0) || (position > farEdge && velocity > 0)) return -velocity;
    return 0;
}

std::int32_t WinnerByHitPoints(const TForm1& form) {
    const std::int32_t p1 = form.players[0].hitPoints, p2 = form.players[1].hitPoints;
    return p1 > p2 ? 1 : p1 < p2 ? 2 : 0;
}

// The chosen CD track ended: the bout ends on time, the higher hit points winning.
void WatchCd(TForm1& form) {
    if (form.MusicSource != MusicCd) return;
    if (form.GameStage == StageFight) form.WatchDisc();
    if (!form.CdTrackChanged()) return;  // also stops and closes the player
    form.FightWinner = WinnerByHitPoints(form);
    form.StageFrameCounter = 0;
    form.GameStage = StageFightEnd;
    form.PlayJingle();
}

// A robot is carried by the scroll unless its carried rectangle would overlap
// the other's, carried too from where it stands now: player 2's test sees
// player 1 already carried, so the scroll can push player 1 a few pixels into
// player 2. A step away or a knock-back parts them again. Each axis only where
// the robot stays inside the arena.
void ScrollRobots(TForm1& form, std::int32_t dx, std::int32_t dy) {
    for (int r = 0; r < 2; ++r) {
        PlayerRecord& robot = form.players[r];
        const PlayerRecord& other = form.players[1 - r];
        const HitBox moved = HitBoxAt(robot, std::int64_t{robot.posX} + dx, std::int64_t{robot.posY} + dy);
        const HitBox otherMoved = HitBoxAt(other, std::int64_t{other.posX} + dx, std::int64_t{other.posY} + dy);
        if (BoxesOverlap(moved, otherMoved)) continue;
        MoveWithinArena(robot, std::int64_t{robot.posX} + dx, std::int64_t{robot.posY} + dy);
    }
}

void EndFight(TForm1& form) {
    form.StageFrameCounter = 0;
    form.GameStage = StageFightEnd;
    if (form.MusicSource == MusicCd)
        form.CloseCd();
    else
        form.EndSegment();
    if (form.Closing()) return;  // the tune would not stop: the game is closing
    form.PlayJingle();
}

void KnockOutRule(TForm1& form) {
    const PlayerRecord& p1 = form.players[0];
    const PlayerRecord& p2 = form.players[1];
    switch (form.KnockOutState) {
        case 0:
            if (p1.hitPoints < 0) form.KnockOutState = 1;
            if (p2.hitPoints < 0) form.KnockOutState = 2;
            return;
        case 1:
        case 2:
            // Ten more frames of fighting: the other robot can still fall, which makes a draw.
            if (++form.StageFrameCounter < kKnockOutFrames) return;
            if (form.KnockOutState == 1)
                form.FightWinner = p2.hitPoints < 0 ? 0 : 2;
            else
                form.FightWinner = p1.hitPoints < 0 ? 0 : 1;
            EndFight(form);
            return;
        default: return;
    }
}

void IntroRule(TForm1& form) {
    ++form.StageFrameCounter;
    // The walk-in knows no walls and no other robot.
    form.players[0].posX = WideSum(form.players[0].posX, kWalkInStep);
    form.players[1].posX = WideSum(form.players[1].posX, -kWalkInStep);
    if (form.StageFrameCounter < kIntroFrames) return;
    form.StopSound(form.devices.sound.JingleBuffer);  // cuts the start jingle off
    if (!form.LoadJingle("S_FINISH")) return;
    form.KnockOutState = 0;
    form.FightWinner = 0;
    form.StageFrameCounter = 0;
    form.GameStage = StageFight;
}

StageExit HandOver(TForm1& form) {
    const bool won = form.FightWinner == 1;
    form.FightWinner = 0;
    if (form.GameMode == ModeTwoPlayers) {
        form.GameStage = StageSelect;
        return StageExit::ToSelect;
    }
    if (form.GameMode == ModeOnePlayer && won && form.ladderStep < kLastLadderStep) {
        ++form.ladderStep;
        form.GameStage = StageVersus;
        return StageExit::ToBefore;
    }
    if (form.GameMode == ModeSurvival && won) {
        ++form.survivalKills;
        form.carriedHitPoints = form.players[0].hitPoints;
        form.GameStage = StageVersus;
        return StageExit::ToBefore;
    }
    // A lost or drawn bout, or the ladder's last win.
    if (form.GameMode == ModeOnePlayer && won) form.ladderStep = 0;
    form.GameStage = StageModeMenu;
    return StageExit::ToStart;
}

StageExit EndRule(TForm1& form) {
    if (++form.StageFrameCounter < kEndFrames) return StageExit::Stay;
    form.KnockOutState = 0;
    form.StageFrameCounter = 0;
    return HandOver(form);
}

}  // namespace

ScrollDelta ScrollDeltaOf(const TForm1& form) {
    std::int64_t dx = 0, dy = 0;
    for (const PlayerRecord& p : form.players) {
        const std::int64_t vx = std::int64_t{p.speed[SenseRight]} - p.speed[SenseLeft];
        const std::int64_t vy = std::int64_t{p.speed[SenseDown]} - p.speed[SenseUp];
        dx += ShareOf(p.posX, vx, kScrollMarginX, kFieldWidth - kScrollMarginX);
        dy += ShareOf(p.posY, vy, kScrollMarginY, kFieldHeight - kScrollMarginY);
    }
    // Three fifths, truncated toward zero: a sum of -4 gives -2.
    return {ClampToInt(3 * dx / 5), ClampToInt(3 * dy / 5)};
}

StageExit TForm1::FightStage() {
    WatchCd(*this);

    FaceOpponent(*this, 0);
    FaceOpponent(*this, 1);
    if (GameStage == StageFight) {
        DecodeInput(players[0]);
        DecodeInput(players[1]);
    }
    StartAction(*this, 0);
    StartAction(*this, 1);
    MoveRobot(*this, 0);
    MoveRobot(*this, 1);

    ScrollDelta scroll{0, 0};
    if (GameStage == StageFight) {
        scroll = ScrollDeltaOf(*this);
        // The floor travels twice as far as the robots and shots: it lies further off.
        BackMove(scroll.dx, scroll.dy);
        BackMove(scroll.dx, scroll.dy);
    }

    ShotWeapon();
    RunShots(*this, scroll.dx, scroll.dy);
    ScrollRobots(*this, scroll.dx, scroll.dy);
    AdvanceMotion(*this, 0);
    AdvanceMotion(*this, 1);

    switch (GameStage) {
        case StageFight: KnockOutRule(*this); break;
        case StageIntro: IntroRule(*this); break;
        case StageFightEnd: return EndRule(*this);
        default: break;
    }
    return StageExit::Stay;
}
