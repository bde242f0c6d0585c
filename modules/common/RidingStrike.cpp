// Riding strikes: a blade, club or chain carried at the owner's launch offset
// through a chain of phases, each reaching out by its own length.
#include "Weapons.h"

namespace robotkit {

void FillRidingStrike(WeaponDescriptor& weapon, ShotTrackTable& table, const RidingStrikeSpec& spec) {
    WriteLaunchOffsets(weapon, 1, [&](int facing, int) { return spec.offsets[facing]; });
    WriteWeapon(weapon, {.ammunition = spec.ammunition, .gaugeCost = spec.gaugeCost, .hideOnHit = 0,
                         .singleHit = spec.singleHit, .volleys = 1, .shotsPerVolley = 1, .fireSound = spec.fireSound,
                         .hitSound = spec.hitSound, .trailCircles = 0});

    const PhaseFields riding{.velocityX = 0, .velocityY = 0, .damage = spec.damage, .extentX = 0, .spareWord = 0,
                             .shotMode = ShotRiding, .guardBreak = 1, .knockBackMode = 1, .endOnOwnerHit = 1};
    ForEachPhase(table, kFilledTracks, spec.sizedPhases, [&](ShotPhase& phase, int plane, int track, int n) {
        phase.halfHeight = spec.size[plane].height;
        phase.halfWidth = spec.size[plane].width;
        if (n >= spec.phases) return;
        WritePhase(phase, riding);
        phase.duration = spec.duration[n];
        phase.stun = spec.stun[n];
        phase.extentY = spec.armExtent[n];
        phase.hitKind = spec.hitKind[n];
        phase.hitPhase = kNoLink;
        phase.nextPhase = ChainLink(table, plane, track, n + 1, spec.phases);
        WriteLaunchLinks(table, phase, track, 0);
    });
}

void FillMelee(WeaponDescriptor& weapon, ShotTrackTable& table, const MeleeSpec& spec) {
    RidingStrikeSpec strike{
        .ammunition = 256,
        .gaugeCost = 0,
        .singleHit = spec.singleHit,
        .fireSound = spec.fireSound,
        .hitSound = spec.hitSound,
        .damage = spec.damage,
        .offsets = {},
        .phases = spec.phases,
        .duration = {},
        .stun = {},
        .armExtent = {},
        .hitKind = {},
        .size = {},
        .sizedPhases = spec.phases,
    };
    for (int facing = 0; facing < kHeadingCount; ++facing) {
        // Diagonals are r on each axis, not scaled down.
        strike.offsets[facing] = AlongFacing(facing, spec.offset, spec.offset);
        strike.size[facing] = facing % 2 ? spec.size.diagonal : facing % 4 == 0 ? spec.size.upDown : spec.size.rightLeft;
    }
    for (int n = 0; n < spec.phases; ++n) {
        strike.duration[n] = spec.duration[n];
        strike.stun[n] = spec.stun[n];
        strike.armExtent[n] = spec.armExtent[n];
        strike.hitKind[n] = spec.hitKind[n];
    }
    FillRidingStrike(weapon, table, strike);
}

}  // namespace robotkit
