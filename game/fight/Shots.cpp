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

// The rarer movers and the landing of a hit, out of the frame's loop.

void FlyHoming(const TForm1& form, int slot, ShotRecord& shot, const ShotPhase& phase, const PlayerRecord& opponent) {
    const std::int32_t d = DirectionBetween(shot.x, shot.y, opponent);
    // A refused steering link keeps the shot on its phase and heading.
    const ShotPhase* next = FollowPhaseLink(form, slot, shot, phase.steerLinks[StoredSlotOf(d)]);
    if (next) {
        shot.heading = d;
        shot.phaseFrame = 0;
        shot.phase = next;
    }
    FlyStraight(shot, next ? *next : phase);
}

void FlyWithRobot(ShotRecord& shot, const ShotPhase& phase, const PlayerRecord& opponent) {
    shot.x = WideSum(opponent.posX, phase.velocityX);
    shot.y = WideSum(opponent.posY, phase.velocityY);
}

void FlyEightWay(ShotRecord& shot, const ShotPhase& phase, const PlayerRecord& opponent) {
    const int d = HeadingIndex(DirectionBetween(shot.x, shot.y, opponent));
    shot.heading = d;
    shot.x = WideSum(shot.x, std::int64_t{kUnitSteps[d].x} * phase.velocityX);
    shot.y = WideSum(shot.y, std::int64_t{kUnitSteps[d].y} * phase.velocityY);
}

void MoveShotByTable(ShotRecord& shot, const PlayerRecord& owner) {
    if (!shot.weapon) return;
    const LaunchOffset& offset = shot.weapon->launchOffsets[HeadingIndex(shot.heading)][0];
    shot.x = WideSum(owner.posX, offset.x);
    shot.y = WideSum(owner.posY, offset.y);
}

ShotTarget::ShotTarget(TForm1& form, int slot)
    : index(1 - PlayerOfSlot(slot)), player(form.players[index]), box(HitBoxAt(player, player.posX, player.posY)) {}

void LandHit(TForm1& form, int slot, ShotRecord& shot, const ShotPhase& phase, ShotTarget& target) {
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

HitResult HitTestShot(TForm1& form, int slot, ShotRecord& shot) {
    ShotTarget target(form, slot);
    return HitTestShot(form, slot, shot, target);
}

namespace {

// A hit test, and the hit's sound: each player's hits sound on its own set,
// so both can ring at once.
void TestHit(TForm1& form, int slot, ShotRecord& shot, const WeaponDescriptor& weapon, ShotTarget& target) {
    if (HitTestShot(form, slot, shot, target) != HitLanded) return;
    if (PlayerOfSlot(slot) == 0)
        form.HitSound2(TextChars(weapon.hitSound));
    else
        form.HitSound1(TextChars(weapon.hitSound));
}

}  // namespace

void RunShots(TForm1& form, std::int32_t dx, std::int32_t dy) {
    for (int slot = 0; slot < kShotSlots; ++slot) {
        const WeaponDescriptor* weapon = form.shotSlots[slot][0][0].weapon;
        if (!weapon) continue;
        const PlayerRecord& owner = form.players[PlayerOfSlot(slot)];
        // Taken once for the slot's records; a landed hit takes it afresh.
        ShotTarget target(form, slot);
        // Player 1's second weapon has always hit before its shots aged.
        const bool testBeforeAgeing = slot == 1;
        const int volleys = VolleysOf(*weapon), parts = PartsOf(*weapon);
        for (int row = 0; row < volleys; ++row)
            for (int part = 0; part < parts; ++part) {
                ShotRecord& shot = form.shotSlots[slot][row][part];
                MoveShot(form, slot, shot, target.player, owner);
                if (testBeforeAgeing) TestHit(form, slot, shot, *weapon, target);
                AdvanceShotFrame(form, slot, shot, owner);
                if (!testBeforeAgeing) TestHit(form, slot, shot, *weapon, target);
                if (dx != 0 || dy != 0) {
                    shot.x = WideSum(shot.x, dx);
                    shot.y = WideSum(shot.y, dy);
                }
                PlaceShot(shot, dx, dy);
            }
    }
}
