// Thrown charges: each track is a flight that ends in a chain of blast steps,
// reached early by a hit in flight.
#include "Weapons.h"

namespace robotkit {

void FillCharge(WeaponDescriptor& weapon, ShotTrackTable& table, const ChargeSpec& spec) {
    for (auto& facing : weapon.launchOffsets) facing[0] = {0, 0};
    WriteWeapon(weapon, spec.weapon);

    for (int plane = 0; plane < kHeadingCount; ++plane)
        for (int track = 0; track < 8; ++track)
            for (int n = 0; n < spec.phases; ++n) {
                const ChargePhase& row = spec.phase[n];
                ShotPhase& phase = Phase(table, plane, track, n);
                WritePhase(phase, spec.common);
                const Velocity velocity = row.course == Course::Fixed ? Velocity{row.a, row.b}
                                          : row.course == Course::Opposite
                                              ? HeadingVector((plane + 4) % kHeadingCount, row.a, row.b)
                                              : HeadingVector(plane, row.a, row.b);
                phase.shotMode = row.shotMode;
                phase.velocityX = velocity.x;
                phase.velocityY = velocity.y;
                phase.duration = row.duration;
                phase.hitKind = row.hitKind;
                phase.halfHeight = phase.halfWidth = row.halfSize;
                phase.extentY = row.extentY;
                phase.extentX = row.extentX;
                phase.knockBackMode = row.knockBackMode;
                phase.hitPhase = row.hitPhase == kNoPhase ? kNoLink : LinkToPhase(table, plane, track, row.hitPhase);
                phase.nextPhase = row.nextPhase == kNoPhase ? kNoLink : LinkToPhase(table, plane, track, row.nextPhase);
                WriteLaunchLinks(table, phase, track, 0);
            }
}

}  // namespace robotkit
