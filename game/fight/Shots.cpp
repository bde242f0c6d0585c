#include "Shots.h"

#include "Devices.h"
#include "Direction.h"
#include "FightLinks.h"
#include "Motion.h"
#include "Wide.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace {

// A heading usable as a table index; a stray value counts as up.
int HeadingIndex(std::int32_t heading) { return heading >= 0 && heading < kHeadingCount ? heading : UN; }

void EndFlight(ShotRecord& shot) {
    shot.phaseFrame = 0;
    shot.live = 0;
    shot.canHit = 0;
    shot.visible = 0;
}

enum class Payment { None, Gauge, Ammunition };

// A beam, and a gauge weapon in the fourth slot, fires only while the gauge
// holds more than this many of its payments.
constexpr std::int64_t kGaugeReservePayments = 8;

// How the slot pays for the record's launch now, or None when it cannot launch.
Payment LaunchRule(const PlayerRecord& player, int weapon, std::int32_t mode, const WeaponDescriptor& desc,
                   bool& beam) {
    const std::int64_t cost = desc.gaugeCost;
    const std::int64_t reserve = kGaugeReservePayments * cost;
    beam = false;
    // A beam in weapons 1-3 is fed by the gauge alone, and that rule is kept:
    // its line shows "LAZER", never a count, so the ammunition a module gives
    // it is neither read nor spent, and short of gauge it stays silent
    // whatever ammunition it holds.
    if (weapon <= 3 && mode == ShotBeam) {
        beam = true;
        return player.gauge > reserve ? Payment::Gauge : Payment::None;
    }
    if (weapon <= 3 && mode == ShotRiding) return player.gauge > cost ? Payment::Gauge : Payment::None;
    if (weapon == 4 && (mode == ShotRiding || mode == ShotBeam))
        return player.gauge > reserve ? Payment::Gauge : Payment::None;
    return player.ammo[weapon - 1] >= 1 ? Payment::Ammunition : Payment::None;
}

void LaunchFor(TForm1& form, int playerIndex) {
    PlayerRecord& player = form.players[playerIndex];
    if (!player.motionNode || player.motionNode->fires != 1) return;
    if (player.actionState < 1 || player.actionState > 4) return;
    const int weapon = player.actionState;
    const int slot = SlotOf(playerIndex, weapon);
    const ShotRecord& lead = form.shotSlots[slot][0][0];
    const int heading = HeadingIndex(player.heading);

    // The bounds and the lead's mode are read afresh for every record.
    for (int row = 0; lead.weapon && row < VolleysOf(*lead.weapon); ++row)
        for (int part = 0; lead.weapon && part < PartsOf(*lead.weapon); ++part) {
            ShotRecord& shot = form.shotSlots[slot][row][part];
            if (shot.live || player.volleyLatch != 0 || !shot.phase || !shot.weapon) continue;
            const WeaponDescriptor& desc = *lead.weapon;
            const std::int32_t mode = lead.phase ? lead.phase->shotMode : -1;
            bool beam = false;
            const Payment pay = LaunchRule(player, weapon, mode, desc, beam);
            if (pay == Payment::None) continue;
            // A start phase the module did not wire properly: no launch, nothing paid.
            const ShotPhase* start =
                FollowPhaseLink(form, slot, shot, shot.phase->launchLinks[StoredSlotOf(heading)]);
            if (!start) continue;

            if (pay == Payment::Gauge)
                player.gauge = ClampToInt(std::int64_t{player.gauge} - desc.gaugeCost);
            else
                player.ammo[weapon - 1] -= 1;
            shot.live = shot.canHit = shot.visible = 1;
            shot.heading = player.heading;
            shot.x = WideSum(player.posX, desc.launchOffsets[heading][part].x);
            shot.y = WideSum(player.posY, desc.launchOffsets[heading][part].y);
            shot.phaseFrame = 0;
            if (pay == Payment::Ammunition || (beam && slot == 0))
                for (TrailPoint& point : shot.trail) point = {shot.x, shot.y};
            shot.phase = start;
            if (part == 0) form.PlayFromStart(form.devices.sound.WeaponSoundBuffers[playerIndex][weapon - 1], false);
            if (part == PartsOf(desc) - 1) player.volleyLatch = 1;
        }
}

void KnockDown(TForm1& form, int targetIndex, const ShotRecord& shot, const ShotPhase& phase) {
    PlayerRecord& target = form.players[targetIndex];
    target.knockBackHeading = phase.knockBackMode == 1 ? shot.heading : DirectionBetween(shot.x, shot.y, target);
    if (phase.stun > target.stunFrames) target.stunFrames = phase.stun;
    if (target.motionNode)
        if (const MotionNode* hit = FollowNodeLink(form, targetIndex, target.motionNode->hitNode))
            target.motionNode = hit;
}

}  // namespace

void TForm1::ShotWeapon() {
    LaunchFor(*this, 0);
    LaunchFor(*this, 1);
}

namespace {

// The steps below run on every record of a frame, so each comes in two forms:
// the public routine, which checks the record's phase, and the step itself,
// given the phase, which the frame's loop inlines (the calls cost as much as
// the work).

[[gnu::always_inline]] inline void StepStraight(ShotRecord& shot, const ShotPhase& phase) {
    shot.x = WideSum(shot.x, phase.velocityX);
    shot.y = WideSum(shot.y, phase.velocityY);
}

void StepHoming(const TForm1& form, int slot, ShotRecord& shot, const ShotPhase& phase, const PlayerRecord& opponent) {
    const std::int32_t d = DirectionBetween(shot.x, shot.y, opponent);
    // A refused steering link keeps the shot on its phase and heading.
    const ShotPhase* next = FollowPhaseLink(form, slot, shot, phase.steerLinks[StoredSlotOf(d)]);
    if (next) {
        shot.heading = d;
        shot.phaseFrame = 0;
        shot.phase = next;
    }
    StepStraight(shot, next ? *next : phase);
}

void StepWithRobot(ShotRecord& shot, const ShotPhase& phase, const PlayerRecord& opponent) {
    shot.x = WideSum(opponent.posX, phase.velocityX);
    shot.y = WideSum(opponent.posY, phase.velocityY);
}

void StepEightWay(ShotRecord& shot, const ShotPhase& phase, const PlayerRecord& opponent) {
    // Unit steps per heading 0-7, clockwise from up.
    static constexpr int kStepX[kHeadingCount] = {0, 1, 1, 1, 0, -1, -1, -1};
    static constexpr int kStepY[kHeadingCount] = {-1, -1, 0, 1, 1, 1, 0, -1};
    const int d = HeadingIndex(DirectionBetween(shot.x, shot.y, opponent));
    shot.heading = d;
    shot.x = WideSum(shot.x, std::int64_t{kStepX[d]} * phase.velocityX);
    shot.y = WideSum(shot.y, std::int64_t{kStepY[d]} * phase.velocityY);
}

[[gnu::always_inline]] inline void StepMove(const TForm1& form, int slot, ShotRecord& shot, const ShotPhase& phase,
                                            const PlayerRecord& opponent, const PlayerRecord& owner) {
    // Most shots fly straight: that test alone is cheaper than the jump through a table.
    if (phase.shotMode == ShotStraight || phase.shotMode == ShotBeam) {
        StepStraight(shot, phase);
        return;
    }
    switch (phase.shotMode) {
        case ShotSteered: StepHoming(form, slot, shot, phase, opponent); break;
        case ShotPlaced: StepWithRobot(shot, phase, opponent); break;
        case ShotChasing: StepEightWay(shot, phase, opponent); break;
        case ShotRiding: MoveShotByTable(shot, owner); break;
        default: break;
    }
}

[[gnu::always_inline]] inline void StepAge(const TForm1& form, int slot, ShotRecord& shot, const ShotPhase& phase,
                                           const PlayerRecord& owner) {
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

// The slot's target: the other player, and its hit rectangle while it has a robot.
struct Target {
    explicit Target(TForm1& form, int slot)
        : index(1 - PlayerOfSlot(slot)), player(form.players[index]), box(HitBoxAt(player, player.posX, player.posY)) {}
    int index;
    PlayerRecord& player;
    HitBox box;
};

// A landed hit: damage, stun and knock-back, and the shot's next phase. Kept
// out of the frame's loop, where it is rare.
[[gnu::noinline]] void Land(TForm1& form, int slot, ShotRecord& shot, const ShotPhase& phase, Target& target) {
    PlayerRecord& victim = target.player;
    const bool guarding = victim.actionState == ActionGuard;
    victim.hitPoints = ClampToInt(std::int64_t{victim.hitPoints} - (guarding ? phase.damage / 4 : phase.damage));
    if (!guarding) {
        victim.actionState = ActionHit;
        victim.motionFrame = 0;
    }
    if (shot.weapon->hideOnHit == 1) shot.visible = 0;
    if (shot.weapon->singleHit == 1) shot.canHit = 0;
    if (!guarding || phase.guardBreak == 1) {
        if (guarding) {
            victim.actionState = ActionHit;
            victim.motionFrame = 0;
        }
        KnockDown(form, target.index, shot, phase);
    }
    if (const ShotPhase* next = FollowOptionalPhaseLink(form, slot, shot, phase.hitPhase)) shot.phase = next;
    if (phase.hitKind == 1 || shot.canHit == 0) shot.phaseFrame = 0;
    // A landed hit rewrites the target's record: its rectangle is taken afresh.
    target.box = HitBoxAt(victim, victim.posX, victim.posY);
}

[[gnu::noinline]] void PassOn(const TForm1& form, int slot, ShotRecord& shot, const ShotPhase& phase) {
    if (const ShotPhase* next = FollowOptionalPhaseLink(form, slot, shot, phase.hitPhase)) shot.phase = next;
}

[[gnu::always_inline]] inline HitResult StepHit(TForm1& form, int slot, ShotRecord& shot, const ShotPhase& phase,
                                                Target& target) {
    if (phase.hitKind == 3) {
        PassOn(form, slot, shot, phase);
        return HitPassedOn;
    }
    if ((phase.hitKind != 1 && phase.hitKind != 2) || shot.canHit != 1 || !shot.weapon) return HitNone;
    if (!target.player.robot) return HitNone;
    const HitBox shotBox{std::int64_t{shot.x} - phase.halfWidth, std::int64_t{shot.y} - phase.halfHeight,
                         std::int64_t{shot.x} + phase.halfWidth, std::int64_t{shot.y} + phase.halfHeight};
    if (!BoxesOverlap(shotBox, target.box)) return HitNone;  // touching edges do not meet
    Land(form, slot, shot, phase, target);
    return HitLanded;
}

[[gnu::always_inline]] inline void StepPlace(ShotRecord& shot, std::int32_t dx, std::int32_t dy) {
    const std::int32_t ex = shot.phase ? shot.phase->extentX : 0;
    const std::int32_t ey = shot.phase ? shot.phase->extentY : 0;
    // The tail lies behind the shot: against its heading, by its extents.
    static constexpr int kBackX[kHeadingCount] = {0, -1, -1, -1, 0, 1, 1, 1};
    static constexpr int kBackY[kHeadingCount] = {1, 1, 0, -1, -1, -1, 0, 1};
    const int h = HeadingIndex(shot.heading);
    // Most frames do not scroll: then the older points only move down the trail.
    if (dx == 0 && dy == 0) {
        shot.trail[2] = shot.trail[1];
        shot.trail[1] = shot.trail[0];
    } else {
        shot.trail[2] = {WideSum(shot.trail[1].x, dx), WideSum(shot.trail[1].y, dy)};
        shot.trail[1] = {WideSum(shot.trail[0].x, dx), WideSum(shot.trail[0].y, dy)};
    }
    shot.trail[0] = {WideSum(shot.x, std::int64_t{kBackX[h]} * ex, dx), WideSum(shot.y, std::int64_t{kBackY[h]} * ey, dy)};
}

// A hit test, and the hit's sound: each player's hits sound on its own set,
// so both can ring at once.
[[gnu::always_inline]] inline void TestHit(TForm1& form, int slot, ShotRecord& shot, const WeaponDescriptor& weapon,
                                           Target& target) {
    if (!shot.phase || shot.phase->hitKind == 0) return;
    if (StepHit(form, slot, shot, *shot.phase, target) != HitLanded) return;
    if (PlayerOfSlot(slot) == 0)
        form.HitSound2(TextChars(weapon.hitSound));
    else
        form.HitSound1(TextChars(weapon.hitSound));
}

}  // namespace

void MoveShotStraight(ShotRecord& shot) {
    if (shot.phase) StepStraight(shot, *shot.phase);
}

void MoveShotHoming(const TForm1& form, int slot, ShotRecord& shot, const PlayerRecord& opponent) {
    if (shot.phase) StepHoming(form, slot, shot, *shot.phase, opponent);
}

void MoveShotWithRobot(ShotRecord& shot, const PlayerRecord& opponent) {
    if (shot.phase) StepWithRobot(shot, *shot.phase, opponent);
}

void MoveShotEightWay(ShotRecord& shot, const PlayerRecord& opponent) {
    if (shot.phase) StepEightWay(shot, *shot.phase, opponent);
}

void MoveShotByTable(ShotRecord& shot, const PlayerRecord& owner) {
    if (!shot.weapon) return;
    const LaunchOffset& offset = shot.weapon->launchOffsets[HeadingIndex(shot.heading)][0];
    shot.x = WideSum(owner.posX, offset.x);
    shot.y = WideSum(owner.posY, offset.y);
}

void MoveShot(const TForm1& form, int slot, ShotRecord& shot, const PlayerRecord& opponent, const PlayerRecord& owner) {
    if (shot.phase) StepMove(form, slot, shot, *shot.phase, opponent, owner);
}

void AdvanceShotFrame(const TForm1& form, int slot, ShotRecord& shot, const PlayerRecord& owner) {
    if (shot.phase) StepAge(form, slot, shot, *shot.phase, owner);
}

HitResult HitTestShot(TForm1& form, int slot, ShotRecord& shot) {
    if (!shot.phase) return HitNone;
    Target target(form, slot);
    return StepHit(form, slot, shot, *shot.phase, target);
}

void PlaceShot(ShotRecord& shot, std::int32_t dx, std::int32_t dy) { StepPlace(shot, dx, dy); }

void RunShots(TForm1& form, std::int32_t dx, std::int32_t dy) {
    for (int slot = 0; slot < kShotSlots; ++slot) {
        const WeaponDescriptor* weapon = form.shotSlots[slot][0][0].weapon;
        if (!weapon) continue;
        const PlayerRecord& owner = form.players[PlayerOfSlot(slot)];
        Target target(form, slot);
        // Player 1's second weapon has always hit before its shots aged.
        const bool testBeforeAgeing = slot == 1;
        const int volleys = VolleysOf(*weapon), parts = PartsOf(*weapon);
        for (int row = 0; row < volleys; ++row)
            for (int part = 0; part < parts; ++part) {
                ShotRecord& shot = form.shotSlots[slot][row][part];
                if (shot.phase) StepMove(form, slot, shot, *shot.phase, target.player, owner);
                if (testBeforeAgeing) TestHit(form, slot, shot, *weapon, target);
                if (shot.phase) StepAge(form, slot, shot, *shot.phase, owner);
                if (!testBeforeAgeing) TestHit(form, slot, shot, *weapon, target);
                if (dx != 0 || dy != 0) {
                    shot.x = WideSum(shot.x, dx);
                    shot.y = WideSum(shot.y, dy);
                }
                StepPlace(shot, dx, dy);
            }
    }
}
