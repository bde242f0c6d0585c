#include "Weapons.h"

namespace robotkit {

void FillStraightShot(WeaponDescriptor& weapon, ShotTrackTable& table, const StraightShotSpec& spec) {
    WriteLaunchOffsets(weapon, spec.offsets, spec.parts);
    WriteWeapon(weapon, spec.weapon);

    // Every track alike; only track 0 is flown, since no link changes track.
    for (int plane = 0; plane < kHeadingCount; ++plane)
        for (int track = 0; track < 8; ++track) {
            const Velocity velocity = HeadingVector(plane, spec.straightSpeed, spec.diagonalSpeed);
            for (int n = 0; n < (spec.spent ? 2 : 1); ++n) {
                ShotPhase& phase = Phase(table, plane, track, n);
                WritePhase(phase, n == 0 ? spec.flight : *spec.spent);
                phase.velocityX = n == 0 ? velocity.x : 0;
                phase.velocityY = n == 0 ? velocity.y : 0;
                phase.hitPhase = kNoLink;
                phase.nextPhase = kNoLink;
                WriteLaunchLinks(table, phase, track, 0);
            }
        }
}

}  // namespace robotkit
