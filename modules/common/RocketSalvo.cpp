// Rocket salvos: each rocket flies 12 frames along its fan vector, 45 frames
// straight on the launch heading, then bursts for 8 frames without hurting.
#include "Weapons.h"

namespace robotkit {

void FillRocketSalvo(WeaponDescriptor& weapon, ShotTrackTable& table, const RocketSalvoSpec& spec) {
    WriteEveryLaunchOffset(weapon, spec.rockets, spec.offset);
    WriteWeapon(weapon, {.ammunition = spec.ammunition, .hideOnHit = 0, .singleHit = 1, .volleys = 2,
                         .shotsPerVolley = spec.rockets, .fireSound = "ATTACK5", .hitSound = spec.hitSound,
                         .trailCircles = 1, .trailRadii = std::array<std::int32_t, 3>{14, 14, 14}, .spareFlag = 1});

    struct Step {
        std::int32_t duration, stun, hitKind, half, extent;
    };
    constexpr int kSteps = 4;
    constexpr Step kStep[kSteps] = {{12, 40, 1, 12, 14}, {45, 40, 1, 12, 14}, {4, 4, 0, 20, 24}, {4, 4, 0, 28, 32}};
    constexpr int kFlight = 2;  // steps 0 and 1 fly; a hit in them bursts
    ForEachPhase(table, kFilledTracks, kSteps, [&](ShotPhase& phase, int plane, int track, int n) {
        const Step& step = kStep[n];
        WritePhase(phase, {.damage = 40, .stun = step.stun, .duration = step.duration, .hitKind = step.hitKind,
                           .halfHeight = step.half, .halfWidth = step.half, .extentY = step.extent,
                           .extentX = step.extent, .spareWord = 1, .shotMode = ShotStraight,
                           .guardBreak = 0, .knockBackMode = 1, .endOnOwnerHit = 0});
        WriteLaunchLinks(table, phase, track, 0);
        // The flight of a track no rocket flies keeps its old course.
        const bool flight = n < kFlight;
        if (flight && track >= spec.rockets) return;
        const Velocity velocity = n == 0 ? spec.fan[plane][track] : n == 1 ? HeadingVector(plane, 12, 10)
                                                                           : Velocity{0, 0};
        phase.velocityX = velocity.x;
        phase.velocityY = velocity.y;
        phase.hitPhase = flight ? LinkToPhase(table, plane, track, kFlight) : kNoLink;
        phase.nextPhase = ChainLink(table, plane, track, n + 1, kSteps);
    });
}

}  // namespace robotkit
