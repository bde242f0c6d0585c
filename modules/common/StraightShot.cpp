#include "Weapons.h"

namespace robotkit {

void FillStraightShot(WeaponDescriptor& weapon, ShotTrackTable& table, const StraightShotSpec& spec) {
    WriteLaunchOffsets(weapon, spec.offsets, spec.parts);
    WriteWeapon(weapon, spec.weapon);

    // Every filled track alike, so a part flies the same course whichever track
    // it starts on (robot 9's cannon starts a track per part); no link changes track.
    ForEachPhase(table, kFilledTracks, spec.spent ? 2 : 1, [&](ShotPhase& phase, int plane, int track, int n) {
        if (n == 0) {
            const Velocity velocity = HeadingVector(plane, spec.straightSpeed, spec.diagonalSpeed);
            WritePhase(phase, spec.flight);
            phase.velocityX = velocity.x;
            phase.velocityY = velocity.y;
        } else {
            const SpentShell& spent = *spec.spent;
            WritePhase(phase, {.velocityX = 0, .velocityY = 0, .damage = 0, .stun = spent.stun, .duration = 5,
                               .hitKind = 0, .halfHeight = spent.halfSize, .halfWidth = spent.halfSize,
                               .spareWord = spent.spareWord, .shotMode = ShotStraight, .guardBreak = 0,
                               .knockBackMode = 1, .endOnOwnerHit = spent.endOnOwnerHit});
        }
        phase.hitPhase = kNoLink;
        phase.nextPhase = kNoLink;
        WriteLaunchLinks(table, phase, track, 0);
    });
}

}  // namespace robotkit
