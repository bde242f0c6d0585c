// Steering shots: every track runs phases 0-10. Two turn phases hand the shot
// to the plane of the direction toward the opponent; a hit in any phase jumps
// to the burst in phase 9.
#include "Weapons.h"

namespace robotkit {
namespace {

constexpr int kPhases = 11;
constexpr int kBurst = 9;

// The links every written phase carries; a turn phase also steers into the
// next phase of the plane toward the opponent.
void WriteSteeringLinks(ShotTrackTable& table, int plane, int track, int n, bool turn) {
    ShotPhase& phase = Phase(table, plane, track, n);
    phase.hitPhase = LinkToPhase(table, plane, track, kBurst);
    WriteLaunchLinks(table, phase, track, 0);
    if (!turn) return;
    for (int direction = 0; direction < kHeadingCount; ++direction)
        SetHeadingLink(phase.steerLinks, direction, LinkToPhase(table, direction, track, n + 1));
}

void WriteCourse(ShotTrackTable& table, int plane, int track, int n, Velocity velocity, std::int32_t duration) {
    ShotPhase& phase = Phase(table, plane, track, n);
    phase.velocityX = velocity.x;
    phase.velocityY = velocity.y;
    phase.duration = duration;
    phase.nextPhase = n + 1 < kPhases ? LinkToPhase(table, plane, track, n + 1) : kNoLink;
}

PhaseFields Shape(std::int32_t shotMode, std::int32_t half, std::int32_t extent, std::int32_t knockBackMode) {
    return {.halfHeight = half, .halfWidth = half, .extentY = extent, .extentX = extent, .shotMode = shotMode,
            .knockBackMode = knockBackMode};
}

PhaseFields Shared(std::int32_t damage, std::int32_t stun) {
    return {.damage = damage, .stun = stun, .hitKind = 1, .spareWord = 0, .guardBreak = 0, .endOnOwnerHit = 0};
}

// The swarm's throw (phase 0, table A) and forward spread (phase 2, table B),
// by plane and track; tracks 0/1, 2/3 and 4/5 mirror each other.
constexpr Velocity kThrow[kHeadingCount][6] = {
    {{-18, 9}, {18, 9}, {-12, 12}, {12, 12}, {-6, 18}, {6, 18}},
    {{-20, 0}, {0, 20}, {-12, 4}, {-4, 12}, {-14, 12}, {-12, 14}},
    {{-9, -18}, {-9, 18}, {-12, -12}, {-12, 12}, {-18, -6}, {-18, 6}},
    {{0, -20}, {-20, 0}, {-4, -12}, {-12, -4}, {-12, -14}, {-14, -12}},
    {{-18, -9}, {18, -9}, {-12, -12}, {12, -12}, {-6, -18}, {6, -18}},
    {{0, -20}, {20, 0}, {4, -12}, {12, -4}, {12, -14}, {14, -12}},
    {{9, -18}, {9, 18}, {12, -12}, {12, 12}, {18, -6}, {18, 6}},
    {{20, 0}, {0, 20}, {12, 4}, {4, 12}, {14, 12}, {12, 14}},
};
constexpr Velocity kSpread[kHeadingCount][6] = {
    {{-1, -12}, {1, -12}, {-8, -8}, {8, -8}, {-12, -6}, {12, -6}},
    {{6, -8}, {8, -6}, {-2, -12}, {12, 2}, {-8, -10}, {10, 8}},
    {{12, 1}, {12, -1}, {8, -8}, {8, 8}, {6, -12}, {6, 12}},
    {{8, 6}, {6, 8}, {12, -2}, {-2, 12}, {10, -8}, {-8, 10}},
    {{-1, 12}, {1, 12}, {-8, 8}, {8, 8}, {-12, 6}, {12, 6}},
    {{-8, 6}, {-6, 8}, {-12, -2}, {2, 12}, {-10, -8}, {8, 10}},
    {{-12, 1}, {-12, -1}, {-8, -8}, {-8, 8}, {-6, -12}, {-6, 12}},
    {{-6, -8}, {-8, -6}, {2, -12}, {-12, 2}, {8, -10}, {-10, 8}},
};

}  // namespace

void FillSwingingShot(WeaponDescriptor& weapon, ShotTrackTable& table, const SwingingShotSpec& spec) {
    for (auto& facing : weapon.launchOffsets) facing[0] = {0, 0};
    WriteWeapon(weapon, {.ammunition = spec.ammunition, .hideOnHit = 0, .singleHit = 1, .volleys = spec.volleys,
                         .shotsPerVolley = 1, .fireSound = "ATTACK3", .hitSound = "HITTED4", .trailCircles = 0});

    for (int plane = 0; plane < kHeadingCount; ++plane)
        for (int track = 0; track < 8; ++track)
            for (int n = 0; n < kPhases; ++n) {
                const bool turn = n == 5 || n == 7;
                ShotPhase& phase = Phase(table, plane, track, n);
                WritePhase(phase, Shared(spec.damage, spec.stun));
                WritePhase(phase, n < kBurst ? Shape(turn ? ShotSteered : ShotStraight, 10, 12, 1)
                                             : Shape(ShotStraight, n == kBurst ? 12 : 16, n == kBurst ? 16 : 20, 2));
                WriteSteeringLinks(table, plane, track, n, turn);
                // Phases 0-3 swing from the opposite heading onto the plane's in 45-degree
                // steps, the other way round in planes 3 and 7.
                const int turnSense = plane == DR || plane == UL ? 1 : -1;
                const Velocity swing = HeadingVector((plane + 4 + turnSense * n + 8) % 8, 20, 14);
                const Velocity velocity = n < 4 ? swing : n == 4 || n == 6 || n == 8 ? HeadingVector(plane, 15, 12)
                                                                                    : Velocity{0, 0};
                constexpr std::int32_t kDurations[kPhases] = {2, 2, 2, 2, 24, 4, 30, 4, 30, 4, 8};
                WriteCourse(table, plane, track, n, velocity, kDurations[n]);
            }
}

void FillSwarm(WeaponDescriptor& weapon, ShotTrackTable& table, const SwarmSpec& spec) {
    for (auto& facing : weapon.launchOffsets)
        for (int part = 0; part < 8; ++part) facing[part] = {0, 0};
    WriteWeapon(weapon, {.ammunition = spec.ammunition, .hideOnHit = 0, .singleHit = 1, .volleys = 1,
                         .shotsPerVolley = 6, .fireSound = "BEAM", .hitSound = "HITTED2", .trailCircles = 0});

    const std::int32_t durations[kPhases] = {6, 4, 30, spec.pauseDuration, spec.pauseDuration, 30, spec.pauseDuration,
                                             spec.pauseDuration, 30, spec.burstDuration, spec.burstDuration};
    for (int plane = 0; plane < kHeadingCount; ++plane)
        for (int track = 0; track < 8; ++track)
            for (int n = 0; n < kPhases; ++n) {
                const bool turn = n == 4 || n == 7;
                ShotPhase& phase = Phase(table, plane, track, n);
                WritePhase(phase, Shared(spec.damage, spec.stun));
                WriteSteeringLinks(table, plane, track, n, turn);
                // Tracks 6 and 7 are never flown: their throw and spread get only what all tracks share.
                const bool perTrack = n == 0 || n == 2;
                if (perTrack && track >= 6) continue;
                WritePhase(phase, n < kBurst ? Shape(turn ? ShotSteered : ShotStraight, 6, 8, 1)
                                             : Shape(ShotStraight, n == kBurst ? 8 : 12, n == kBurst ? 10 : 15, 2));
                const Velocity velocity = n == 0 ? kThrow[plane][track]
                                          : n == 2 ? kSpread[plane][track]
                                          : n == 5 || n == 8 ? HeadingVector(plane, spec.cruiseStraight, spec.cruiseDiagonal)
                                                             : Velocity{0, 0};
                WriteCourse(table, plane, track, n, velocity, durations[n]);
            }
}

}  // namespace robotkit
