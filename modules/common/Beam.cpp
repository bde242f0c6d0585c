// Beams: ten segments a volley, segment j starting 35 + 80j pixels along the
// facing (35 + 70j per axis on a diagonal); each flies on for a few frames,
// and the game draws the volley as one line 800 pixels long.
#include "Weapons.h"

namespace robotkit {

void FillBeam(WeaponDescriptor& weapon, ShotTrackTable& table, const BeamSpec& spec) {
    WriteWeapon(weapon, {.ammunition = 256, .gaugeCost = 16, .hideOnHit = 0, .singleHit = 1, .volleys = 1,
                         .shotsPerVolley = 10, .fireSound = "BEAM", .hitSound = "HITTED4", .trailCircles = 0});
    for (int facing = 0; facing < kHeadingCount; ++facing)
        for (int part = 0; part < kMaxParts; ++part) {
            const Velocity at = HeadingVector(facing, 35 + 80 * part, 35 + 70 * part);
            weapon.launchOffsets[facing][part] = {at.x, at.y};
        }

    for (int plane = 0; plane < kHeadingCount; ++plane)
        for (int track = 0; track < kTracksPerPlane; ++track) {
            ShotPhase& phase = Phase(table, plane, track, 0);
            const Velocity velocity = HeadingVector(plane, 20, 15);
            const Velocity reach = HeadingVector(plane, 800, 800);
            WritePhase(phase, {.velocityX = velocity.x, .velocityY = velocity.y, .damage = spec.damage, .stun = 80,
                               .duration = spec.duration, .hitKind = 1, .halfHeight = 14, .halfWidth = 14,
                               .extentY = reach.y, .extentX = reach.x, .spareWord = 0, .shotMode = ShotBeam,
                               .guardBreak = 0, .knockBackMode = 1, .endOnOwnerHit = 1});
            phase.hitPhase = kNoLink;
            phase.nextPhase = kNoLink;
            WriteLaunchLinks(table, phase, track, 0);
        }
}

}  // namespace robotkit
