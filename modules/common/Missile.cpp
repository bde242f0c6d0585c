// Steering missiles: launched along the owner's facing, they turn toward the
// opponent twice and explode at the end of the path or where they hit.
#include "Weapons.h"

namespace robotkit {
namespace {

enum MissilePhase { Launch = 0, Cruise1 = 1, Steer1 = 2, Curve1 = 3, Cruise2 = 6, Steer2 = 7,
                    Curve2 = 8, Cruise3 = 11, Blast1 = 12, Blast2 = 13, PhaseCount = 14 };

constexpr Velocity kLaunchVelocity[kHeadingCount] = {{0, -10}, {5, -5}, {10, 0}, {5, 5},
                                                     {0, 10}, {-5, 5}, {-10, 0}, {-5, -5}};
constexpr Velocity kCruiseVelocity[kHeadingCount] = {{0, -14}, {10, -10}, {15, 0}, {10, 10},
                                                     {0, 15}, {-10, 10}, {-15, 0}, {-10, -10}};

constexpr PhaseFields Straight(std::int32_t duration, std::int32_t half, std::int32_t extent,
                               std::int32_t knockBack = 1) {
    return {.duration = duration, .halfHeight = half, .halfWidth = half, .extentY = extent,
            .extentX = extent, .shotMode = ShotStraight, .knockBackMode = knockBack};
}

constexpr PhaseFields Steering() {
    return {.velocityX = 0, .velocityY = 0, .duration = 1, .halfHeight = 10, .halfWidth = 10,
            .extentY = 12, .extentX = 12, .shotMode = ShotSteered, .knockBackMode = 1};
}

bool IsCurve(int phase) { return (phase >= Curve1 && phase < Cruise2) || (phase >= Curve2 && phase < Cruise3); }

void WriteFramePhase(ShotTrackTable& table, ShotPhase& phase, int plane, int track, int n, const MissileSpec& spec) {

    // Common to every phase.
    WritePhase(phase, {.damage = spec.damage, .stun = 80, .hitKind = 1, .spareWord = 0,
                       .guardBreak = 1, .endOnOwnerHit = 0});
    phase.hitPhase = LinkToPhase(table, UN, 0, Blast1);
    WriteLaunchLinks(table, phase, track, Launch);

    if (IsCurve(n)) {
        phase.duration = 4;  // the path filler writes the rest
        for (Link& link : phase.steerLinks) link = LinkToPhase(table, plane, track, Launch);
        return;
    }

    switch (n) {
        case Launch:
        case Cruise1:
        case Cruise2:
        case Cruise3: {
            WritePhase(phase, Straight(n == Launch ? 6 : 24, 10, 12));
            const Velocity v = n == Launch ? kLaunchVelocity[plane] : kCruiseVelocity[plane];
            phase.velocityX = v.x;
            phase.velocityY = v.y;
            phase.nextPhase = LinkToPhase(table, plane, track, n + 1);
            break;
        }
        case Steer1:
        case Steer2:
            WritePhase(phase, Steering());
            // The second steering of an upward missile keeps climbing.
            if (n == Steer2 && plane == UN) phase.velocityY = -10;
            WriteSteerLinksByTrack(table, phase, plane, n + 1);
            phase.nextPhase = LinkToPhase(table, plane, track, n + 1);
            break;
        case Blast1:
        case Blast2:
            WritePhase(phase, Straight(5, n == Blast1 ? 10 : 20, 32, 2));
            phase.velocityX = 0;
            phase.velocityY = 0;
            phase.nextPhase = n == Blast1 ? LinkToPhase(table, plane, track, Blast2) : kNoLink;
            break;
    }
}

}  // namespace

void FillMissile(WeaponDescriptor& weapon, ShotTrackTable& table, const MissileSpec& spec) {
    WriteEveryLaunchOffset(weapon, 1, {0, 0});
    WriteWeapon(weapon, {.ammunition = spec.ammunition, .hideOnHit = 0, .singleHit = 1,
                         .volleys = spec.volleys, .shotsPerVolley = 1, .fireSound = "ATTACK5",
                         .hitSound = "HITTED2", .trailCircles = 1,
                         .trailRadii = std::array<std::int32_t, 3>{10, 10, 10}, .spareFlag = 1});

    ForEachPhase(table, kFilledTracks, PhaseCount, [&](ShotPhase& phase, int plane, int track, int n) {
        WriteFramePhase(table, phase, plane, track, n, spec);
    });
}

void FillMissilePath(std::int32_t plane, ShotTrackTable& table, const MissileCurve& curve) {
    if (plane < 0 || plane >= kHeadingCount) return;

    // By the track the steering chose: one per direction.
    for (int track = 0; track < kHeadingCount; ++track) {
        const CurveTrack& bend = curve.tracks[track];
        for (int half = 0; half < 2; ++half) {
            const int first = half == 0 ? Curve1 : Curve2;
            const int cruise = half == 0 ? Cruise2 : Cruise3;
            for (int k = 0; k < 3; ++k) {
                const int n = first + k;
                ShotPhase& phase = Phase(table, plane, track, n);
                const Velocity v = n == bend.differingPhase ? bend.differingVelocity : bend.first[k];
                WritePhase(phase, Straight(8, 10, 12));
                phase.velocityX = v.x;
                phase.velocityY = v.y;
                // The last curve phase hands the missile to the plane of its new heading.
                phase.nextPhase = k < 2 ? LinkToPhase(table, plane, track, n + 1)
                                        : LinkToPhase(table, track, track, cruise);
            }
        }
        if (track == DN && curve.holdsAfterHitInTrack4) Phase(table, plane, track, Curve1 + 1).hitPhase = kNoLink;
    }
}

}  // namespace robotkit
