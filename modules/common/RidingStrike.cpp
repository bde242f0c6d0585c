#include "Weapons.h"

namespace robotkit {

void FillRidingStrike(WeaponDescriptor& weapon, ShotTrackTable& table, const RidingStrikeSpec& spec) {
    for (int facing = 0; facing < kHeadingCount; ++facing) weapon.launchOffsets[facing][0] = spec.offsets[facing];
    WriteWeapon(weapon, spec.weapon);

    for (int plane = 0; plane < kHeadingCount; ++plane)
        for (int track = 0; track < 8; ++track)
            for (int n = 0; n < spec.sizedPhases; ++n) {
                ShotPhase& phase = Phase(table, plane, track, n);
                phase.halfHeight = spec.size[plane].height;
                phase.halfWidth = spec.size[plane].width;
                if (n >= spec.phases) continue;
                WritePhase(phase, spec.common);
                phase.duration = spec.duration[n];
                phase.stun = spec.stun[n];
                phase.extentY = spec.reach[n];
                phase.hitKind = spec.hitKind[n];
                phase.hitPhase = kNoLink;
                phase.nextPhase = n + 1 < spec.phases ? LinkToPhase(table, plane, track, n + 1) : kNoLink;
                WriteLaunchLinks(table, phase, track, 0);
            }
}

void FillMelee(WeaponDescriptor& weapon, ShotTrackTable& table, const MeleeSpec& spec) {
    RidingStrikeSpec strike{
        .weapon = {.ammunition = 256, .gaugeCost = 0, .hideOnHit = 0, .singleHit = spec.singleHit, .volleys = 1,
                   .shotsPerVolley = 1, .fireSound = spec.fireSound, .hitSound = spec.hitSound, .trailCircles = 0},
        .offsets = {},
        .phases = spec.phases,
        .duration = {},
        .stun = {},
        .reach = {},
        .hitKind = {},
        .common = {.velocityX = 0, .velocityY = 0, .damage = spec.damage, .extentX = 0, .spareWord = 0,
                   .shotMode = ShotRiding, .guardBreak = 1, .knockBackMode = 1, .endOnOwnerHit = 1},
        .size = {},
        .sizedPhases = spec.phases,
    };
    for (int facing = 0; facing < kHeadingCount; ++facing) {
        // Diagonals are r on each axis, not scaled down.
        const Velocity at = HeadingVector(facing, spec.reach, spec.reach);
        strike.offsets[facing] = {at.x, at.y};
        strike.size[facing] = facing % 2 ? spec.size.diagonal : facing % 4 == 0 ? spec.size.upDown : spec.size.rightLeft;
    }
    for (int n = 0; n < spec.phases; ++n) {
        strike.duration[n] = spec.duration[n];
        strike.stun[n] = spec.stun[n];
        strike.reach[n] = spec.extentY[n];
        strike.hitKind[n] = spec.hitKind[n];
    }
    FillRidingStrike(weapon, table, strike);
}

}  // namespace robotkit
