#include "RobotKit.h"

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
                phase.extentY = spec.reach[n];
                phase.hitKind = spec.hitKind[n];
                phase.hitPhase = kNoLink;
                phase.nextPhase = n + 1 < spec.phases ? LinkToPhase(table, plane, track, n + 1) : kNoLink;
                WriteLaunchLinks(table, phase, track, 0);
            }
}

}  // namespace robotkit
