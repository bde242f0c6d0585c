// Pellet fans: a volley of five pellets that move together for 2 frames,
// spread into a fan for 24, then stand still for 2, still hitting.
#include "Weapons.h"

namespace robotkit {
namespace {

constexpr int kFlownTracks = 5;  // one per part

// Phase 1 velocity by plane and track: track 2 keeps the heading, the others fan out around it.
constexpr Velocity kFan[kHeadingCount][kFlownTracks] = {
    {{-6, -12}, {-3, -14}, {0, -15}, {3, -14}, {6, -12}},
    {{15, -6}, {14, -8}, {12, -12}, {8, -14}, {6, -15}},
    {{12, -6}, {14, -3}, {15, 0}, {14, 3}, {12, 6}},
    {{15, 6}, {14, 8}, {12, 12}, {8, 14}, {6, 15}},
    {{-6, 12}, {-3, 14}, {0, 15}, {3, 14}, {6, 12}},
    {{-15, 6}, {-14, 8}, {-12, 12}, {-8, 14}, {-6, 15}},
    {{-12, -6}, {-14, -3}, {-15, 0}, {-14, 3}, {-12, 6}},
    {{-15, -6}, {-14, -8}, {-12, -12}, {-8, -14}, {-6, -15}},
};

void SetCourse(ShotPhase& phase, Velocity velocity, std::int32_t duration, Link next) {
    phase.velocityX = velocity.x;
    phase.velocityY = velocity.y;
    phase.duration = duration;
    phase.nextPhase = next;
}

}  // namespace

void FillPelletFan(WeaponDescriptor& weapon, ShotTrackTable& table, const PelletFanSpec& spec) {
    WriteWeapon(weapon, {.ammunition = spec.ammunition, .hideOnHit = 1, .singleHit = 1, .volleys = 3,
                         .shotsPerVolley = kFlownTracks, .fireSound = "ATTACK1", .hitSound = "HITTED4",
                         .trailCircles = 0});
    // Part 5 is never launched, but its offset is written all the same.
    WriteLaunchOffsets(weapon, kFlownTracks + 1,
                       [&](int facing, int) { return AlongFacing(facing, spec.launchStraight, spec.launchDiagonal); });

    const PhaseFields common{.damage = 8, .stun = spec.stun, .hitKind = 1, .halfHeight = spec.halfSize,
                             .halfWidth = spec.halfSize, .spareWord = 1, .shotMode = ShotStraight, .guardBreak = 0,
                             .knockBackMode = 1, .endOnOwnerHit = 0};
    ForEachPhase(table, kFilledTracks, 3, [&](ShotPhase& phase, int plane, int track, int n) {
        WritePhase(phase, common);
        phase.hitPhase = kNoLink;
        WriteLaunchLinks(table, phase, track, 0);
        if (n == 2) {
            SetCourse(phase, {0, 0}, 2, kNoLink);
            return;
        }
        // Tracks past the five flown keep their old course in phases 0 and 1.
        if (track >= kFlownTracks) return;
        const Link next = LinkToPhase(table, plane, track, n + 1);
        if (n == 0)
            SetCourse(phase, HeadingVector(plane, 15, 12), 2, next);
        else
            SetCourse(phase, kFan[plane][track], 24, next);
    });
}

}  // namespace robotkit
