// Thrown charges: each track is a flight that ends in a chain of blast steps,
// reached early by a hit in flight.
#include "Weapons.h"

namespace robotkit {

void FillCharge(WeaponDescriptor& weapon, ShotTrackTable& table, const ChargeSpec& spec) {
    WriteEveryLaunchOffset(weapon, 1, {0, 0});
    WriteWeapon(weapon, spec.weapon);

    const auto link = [&](int plane, int track, int to) {
        return to == kNoPhase ? kNoLink : LinkToPhase(table, plane, track, to);
    };
    ForEachPhase(table, kFilledTracks, spec.phases, [&](ShotPhase& phase, int plane, int track, int n) {
        const ChargePhase& row = spec.phase[n];
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
        phase.hitPhase = link(plane, track, row.hitPhase);
        phase.nextPhase = link(plane, track, row.nextPhase);
        WriteLaunchLinks(table, phase, track, 0);
    });
}

}  // namespace robotkit
