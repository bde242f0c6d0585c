// Shots in flight: the per-frame steps the fight stage runs on every record of
// every weapon slot, live or not. `slot` is the record's weapon slot 0-7
// (player 1's weapons 1-4, then player 2's); it names the block the record's
// phase links point into.
//
// Each step is one routine. The common ones are defined here, where the
// frame's loop (RunShots) and the compiler see them: they run on every record
// of every frame, and a call would cost as much as their work.
#pragma once

#include "Direction.h"
#include "FightLinks.h"
#include "GameState.h"
#include "Motion.h"
#include "Wide.h"

#include <cstdint>
#include <limits>

// A heading usable as a table index; a stray value counts as up.
inline int HeadingIndex(std::int32_t heading) { return heading >= 0 && heading < kHeadingCount ? heading : UN; }

inline void EndFlight(ShotRecord& shot) {
    shot.phaseFrame = 0;
    shot.live = 0;
    shot.canHit = 0;
    shot.visible = 0;
}

// The movers of the shot modes: straight (and beams), then the rarer ones.
inline void FlyStraight(ShotRecord& shot, const ShotPhase& phase) {
    shot.x = WideSum(shot.x, phase.velocityX);
    shot.y = WideSum(shot.y, phase.velocityY);
}
void FlyHoming(const TForm1& form, int slot, ShotRecord& shot, const ShotPhase& phase, const PlayerRecord& opponent);
void FlyWithRobot(ShotRecord& shot, const ShotPhase& phase, const PlayerRecord& opponent);
void FlyEightWay(ShotRecord& shot, const ShotPhase& phase, const PlayerRecord& opponent);
// A riding shot: to its owner, by the weapon's launch offset for its heading.
void MoveShotByTable(ShotRecord& shot, const PlayerRecord& owner);

// Moves the shot by its current phase's mode; an unknown mode leaves it.
inline void MoveShot(const TForm1& form, int slot, ShotRecord& shot, const PlayerRecord& opponent,
                     const PlayerRecord& owner) {
    if (!shot.phase) return;
    const ShotPhase& phase = *shot.phase;
    // Most shots fly straight: that test alone is cheaper than the jump through a table.
    if (phase.shotMode == ShotStraight || phase.shotMode == ShotBeam) {
        FlyStraight(shot, phase);
        return;
    }
    switch (phase.shotMode) {
        case ShotSteered: FlyHoming(form, slot, shot, phase, opponent); break;
        case ShotPlaced: FlyWithRobot(shot, phase, opponent); break;
        case ShotChasing: FlyEightWay(shot, phase, opponent); break;
        case ShotRiding: MoveShotByTable(shot, owner); break;
        default: break;
    }
}

// Ages the shot by a frame: on to the next phase, or the end of its flight.
inline void AdvanceShotFrame(const TForm1& form, int slot, ShotRecord& shot, const PlayerRecord& owner) {
    if (!shot.phase) return;
    const ShotPhase& phase = *shot.phase;
    // A free record keeps counting; it must not run past the largest int.
    if (shot.phaseFrame < std::numeric_limits<std::int32_t>::max()) ++shot.phaseFrame;
    if (phase.endOnOwnerHit == 1 && owner.actionState == ActionHit) EndFlight(shot);
    if (shot.live != 1 || shot.phaseFrame != phase.duration) return;
    shot.phaseFrame = 0;
    if (phase.nextPhase == kNoLink) {
        EndFlight(shot);
        return;
    }
    // A refused link keeps the shot in its phase, still flying.
    if (const ShotPhase* next = FollowPhaseLink(form, slot, shot, phase.nextPhase)) shot.phase = next;
}

enum HitResult : int { HitNone = 0, HitLanded = 1, HitPassedOn = 3 };

// A slot's target: the other player (player 2 for slots 0-3, player 1 for
// 4-7) and its hit rectangle, which a landed hit takes afresh.
struct ShotTarget {
    ShotTarget(TForm1& form, int slot);
    int index;
    PlayerRecord& player;
    HitBox box;
};

// A landed hit: damage, stun and knock-back, and the shot's next phase.
void LandHit(TForm1& form, int slot, ShotRecord& shot, const ShotPhase& phase, ShotTarget& target);

// Tests the shot against the target and applies damage, stun and knock-back.
inline HitResult HitTestShot(TForm1& form, int slot, ShotRecord& shot, ShotTarget& target) {
    if (!shot.phase || shot.phase->hitKind == 0) return HitNone;
    const ShotPhase& phase = *shot.phase;
    if (phase.hitKind == 3) {
        if (const ShotPhase* next = FollowOptionalPhaseLink(form, slot, shot, phase.hitPhase)) shot.phase = next;
        return HitPassedOn;
    }
    if ((phase.hitKind != 1 && phase.hitKind != 2) || shot.canHit != 1 || !shot.weapon) return HitNone;
    if (!target.player.robot) return HitNone;
    const HitBox shotBox{std::int64_t{shot.x} - phase.halfWidth, std::int64_t{shot.y} - phase.halfHeight,
                         std::int64_t{shot.x} + phase.halfWidth, std::int64_t{shot.y} + phase.halfHeight};
    if (!BoxesOverlap(shotBox, target.box)) return HitNone;  // touching edges do not meet
    LandHit(form, slot, shot, phase, target);
    return HitLanded;
}
// The same against the target as it stands now.
HitResult HitTestShot(TForm1& form, int slot, ShotRecord& shot);

// Keeps the three-point trail; (dx, dy) is the frame's scroll delta.
inline void PlaceShot(ShotRecord& shot, std::int32_t dx, std::int32_t dy) {
    const std::int32_t ex = shot.phase ? shot.phase->extentX : 0;
    const std::int32_t ey = shot.phase ? shot.phase->extentY : 0;
    const int h = HeadingIndex(shot.heading);
    // Most frames do not scroll: then the older points only move down the trail.
    if (dx == 0 && dy == 0) {
        shot.trail[2] = shot.trail[1];
        shot.trail[1] = shot.trail[0];
    } else {
        shot.trail[2] = {WideSum(shot.trail[1].x, dx), WideSum(shot.trail[1].y, dy)};
        shot.trail[1] = {WideSum(shot.trail[0].x, dx), WideSum(shot.trail[0].y, dy)};
    }
    // The tail lies behind the shot: against its heading, by its extents.
    shot.trail[0] = {WideSum(shot.x, -std::int64_t{kUnitSteps[h].x} * ex, dx),
                     WideSum(shot.y, -std::int64_t{kUnitSteps[h].y} * ey, dy)};
}

// One frame of every record of every slot's rows and parts, in flight or not:
// moved, hit-tested and aged, carried by the scroll (dx, dy), its trail kept.
void RunShots(TForm1& form, std::int32_t dx, std::int32_t dy);
