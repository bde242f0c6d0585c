// Rocket salvos: each rocket flies 12 frames along its fan vector, 45 frames
// straight on the launch heading, then bursts for 8 frames without hurting.
#include "Weapons.h"

namespace robotkit {

void FillRocketSalvo(WeaponDescriptor& weapon, ShotTrackTable& table, const RocketSalvoSpec& spec) {
    for (auto& facing : weapon.launchOffsets)
        for (int part = 0; part < spec.rockets; ++part) facing[part] = spec.offset;
    WriteWeapon(weapon, {.ammunition = spec.ammunition, .hideOnHit = 0, .singleHit = 1, .volleys = 2,
                         .shotsPerVolley = spec.rockets, .fireSound = "ATTACK5", .hitSound = spec.hitSound,
                         .trailCircles = 1, .trailRadii = std::array<std::int32_t, 3>{14, 14, 14}, .spareFlag = 1});

    struct Step {
        std::int32_t duration, stun, hitKind, half, extent;
    };
    constexpr Step kSteps[4] = {{12, 40, 1, 12, 14}, {45, 40, 1, 12, 14}, {4, 4, 0, 20, 24}, {4, 4, 0, 28, 32}};
    for (int plane = 0; plane < kHeadingCount; ++plane)
        for (int track = 0; track < 8; ++track)
            for (int n = 0; n < 4; ++n) {
                const Step& step = kSteps[n];
                ShotPhase& phase = Phase(table, plane, track, n);
                WritePhase(phase, {.damage = 40, .stun = step.stun, .duration = step.duration, .hitKind = step.hitKind,
                                   .halfHeight = step.half, .halfWidth = step.half, .extentY = step.extent,
                                   .extentX = step.extent, .spareWord = 1, .shotMode = ShotStraight,
                                   .guardBreak = 0, .knockBackMode = 1, .endOnOwnerHit = 0});
                WriteLaunchLinks(table, phase, track, 0);
                // The flight of a track no rocket flies keeps its old course.
                const bool flight = n < 2;
                if (flight && track >= spec.rockets) continue;
                const Velocity velocity = n == 0 ? spec.fan[plane][track] : n == 1 ? HeadingVector(plane, 12, 10)
                                                                                   : Velocity{0, 0};
                phase.velocityX = velocity.x;
                phase.velocityY = velocity.y;
                phase.hitPhase = flight ? LinkToPhase(table, plane, track, 2) : kNoLink;
                phase.nextPhase = n < 3 ? LinkToPhase(table, plane, track, n + 1) : kNoLink;
            }
}

}  // namespace robotkit
