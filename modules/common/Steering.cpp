// Steering shots: every track runs phases 0-10. Two turn phases hand the shot
// to the plane of the direction toward the opponent; a hit in any phase jumps
// to the burst in phase 9.
#include "Weapons.h"

namespace robotkit {
namespace {

constexpr int kPhases = 11;
constexpr int kBurst = 9;
constexpr int kSwarmTracks = 6;  // tracks with a throw and a spread of their own

enum class SteerCourse {
    Still,   // no velocity
    Swing,   // phase n of the swing round from the opposite heading onto the plane's
    Cruise,  // along the plane, at the shot's cruise speeds
    Thrown,  // the swarm's throw, by plane and track
    Spread,  // the swarm's forward spread, by plane and track
};

struct SteeringPhase {
    SteerCourse course;
    bool turn;  // steers toward the opponent into the next phase of the plane of that direction
    std::int32_t duration, halfSize, extent, knockBackMode;
};
using SteeringTrack = std::array<SteeringPhase, kPhases>;

struct SteeringShot {
    WeaponFields weapon;
    int parts;  // launch offsets zeroed for parts 0..parts-1
    std::int32_t damage, stun;
    std::int32_t cruiseStraight, cruiseDiagonal;
    SteeringTrack track;
};

// The swarm's throw (phase 0, table A) and forward spread (phase 2, table B),
// by plane and track; tracks 0/1, 2/3 and 4/5 mirror each other.
constexpr Velocity kThrow[kHeadingCount][kSwarmTracks] = {
    {{-18, 9}, {18, 9}, {-12, 12}, {12, 12}, {-6, 18}, {6, 18}},
    {{-20, 0}, {0, 20}, {-12, 4}, {-4, 12}, {-14, 12}, {-12, 14}},
    {{-9, -18}, {-9, 18}, {-12, -12}, {-12, 12}, {-18, -6}, {-18, 6}},
    {{0, -20}, {-20, 0}, {-4, -12}, {-12, -4}, {-12, -14}, {-14, -12}},
    {{-18, -9}, {18, -9}, {-12, -12}, {12, -12}, {-6, -18}, {6, -18}},
    {{0, -20}, {20, 0}, {4, -12}, {12, -4}, {12, -14}, {14, -12}},
    {{9, -18}, {9, 18}, {12, -12}, {12, 12}, {18, -6}, {18, 6}},
    {{20, 0}, {0, 20}, {12, 4}, {4, 12}, {14, 12}, {12, 14}},
};
constexpr Velocity kSpread[kHeadingCount][kSwarmTracks] = {
    {{-1, -12}, {1, -12}, {-8, -8}, {8, -8}, {-12, -6}, {12, -6}},
    {{6, -8}, {8, -6}, {-2, -12}, {12, 2}, {-8, -10}, {10, 8}},
    {{12, 1}, {12, -1}, {8, -8}, {8, 8}, {6, -12}, {6, 12}},
    {{8, 6}, {6, 8}, {12, -2}, {-2, 12}, {10, -8}, {-8, 10}},
    {{-1, 12}, {1, 12}, {-8, 8}, {8, 8}, {-12, 6}, {12, 6}},
    {{-8, 6}, {-6, 8}, {-12, -2}, {2, 12}, {-10, -8}, {8, 10}},
    {{-12, 1}, {-12, -1}, {-8, -8}, {-8, 8}, {-6, -12}, {-6, 12}},
    {{-6, -8}, {-8, -6}, {2, -12}, {-12, 2}, {8, -10}, {-10, 8}},
};

// Phase n of the swing: 45 degrees further from the opposite heading onto the
// plane's, the other way round in planes 3 and 7.
Velocity Swing(int plane, int n) {
    const int turnSense = plane == DR || plane == UL ? 1 : -1;
    return HeadingVector((plane + 4 + turnSense * n + kHeadingCount) % kHeadingCount, 20, 14);
}

void FillSteeringShot(WeaponDescriptor& weapon, ShotTrackTable& table, const SteeringShot& shot) {
    WriteEveryLaunchOffset(weapon, shot.parts, {0, 0});
    WriteWeapon(weapon, shot.weapon);

    ForEachPhase(table, kFilledTracks, kPhases, [&](ShotPhase& phase, int plane, int track, int n) {
        const SteeringPhase& row = shot.track[n];
        WritePhase(phase, {.damage = shot.damage, .stun = shot.stun, .hitKind = 1, .spareWord = 0, .guardBreak = 0,
                           .endOnOwnerHit = 0});
        phase.hitPhase = LinkToPhase(table, plane, track, kBurst);
        WriteLaunchLinks(table, phase, track, 0);
        if (row.turn) WriteSteerLinksByPlane(table, phase, track, n + 1);
        // Tracks no part flies keep their course where it is by track: they get only what all tracks share.
        const bool byTrack = row.course == SteerCourse::Thrown || row.course == SteerCourse::Spread;
        if (byTrack && track >= kSwarmTracks) return;

        WritePhase(phase, {.halfHeight = row.halfSize, .halfWidth = row.halfSize, .extentY = row.extent,
                           .extentX = row.extent, .shotMode = row.turn ? ShotSteered : ShotStraight,
                           .knockBackMode = row.knockBackMode});
        Velocity velocity{0, 0};
        switch (row.course) {
            case SteerCourse::Still: break;
            case SteerCourse::Swing: velocity = Swing(plane, n); break;
            case SteerCourse::Cruise: velocity = HeadingVector(plane, shot.cruiseStraight, shot.cruiseDiagonal); break;
            case SteerCourse::Thrown: velocity = kThrow[plane][track]; break;
            case SteerCourse::Spread: velocity = kSpread[plane][track]; break;
        }
        phase.velocityX = velocity.x;
        phase.velocityY = velocity.y;
        phase.duration = row.duration;
        phase.nextPhase = ChainLink(table, plane, track, n + 1, kPhases);
    });
}

}  // namespace

void FillSwingingShot(WeaponDescriptor& weapon, ShotTrackTable& table, const SwingingShotSpec& spec) {
    using enum SteerCourse;
    FillSteeringShot(weapon, table, {
        .weapon = {.ammunition = spec.ammunition, .hideOnHit = 0, .singleHit = 1, .volleys = spec.volleys,
                   .shotsPerVolley = 1, .fireSound = "ATTACK3", .hitSound = "HITTED4", .trailCircles = 0},
        .parts = 1,
        .damage = spec.damage,
        .stun = spec.stun,
        .cruiseStraight = 15,
        .cruiseDiagonal = 12,
        // course, turn, duration, half size, extent, knockBackMode
        .track = {{{Swing, false, 2, 10, 12, 1},
                   {Swing, false, 2, 10, 12, 1},
                   {Swing, false, 2, 10, 12, 1},
                   {Swing, false, 2, 10, 12, 1},
                   {Cruise, false, 24, 10, 12, 1},
                   {Still, true, 4, 10, 12, 1},
                   {Cruise, false, 30, 10, 12, 1},
                   {Still, true, 4, 10, 12, 1},
                   {Cruise, false, 30, 10, 12, 1},
                   {Still, false, 4, 12, 16, 2},
                   {Still, false, 8, 16, 20, 2}}},
    });
}

void FillSwarm(WeaponDescriptor& weapon, ShotTrackTable& table, const SwarmSpec& spec) {
    using enum SteerCourse;
    const std::int32_t pause = spec.pauseDuration, burst = spec.burstDuration;
    FillSteeringShot(weapon, table, {
        .weapon = {.ammunition = spec.ammunition, .hideOnHit = 0, .singleHit = 1, .volleys = 1,
                   .shotsPerVolley = kSwarmTracks, .fireSound = "BEAM", .hitSound = "HITTED2", .trailCircles = 0},
        .parts = kFilledTracks,
        .damage = spec.damage,
        .stun = spec.stun,
        .cruiseStraight = spec.cruiseStraight,
        .cruiseDiagonal = spec.cruiseDiagonal,
        // course, turn, duration, half size, extent, knockBackMode
        .track = {{{Thrown, false, 6, 6, 8, 1},
                   {Still, false, 4, 6, 8, 1},
                   {Spread, false, 30, 6, 8, 1},
                   {Still, false, pause, 6, 8, 1},
                   {Still, true, pause, 6, 8, 1},
                   {Cruise, false, 30, 6, 8, 1},
                   {Still, false, pause, 6, 8, 1},
                   {Still, true, pause, 6, 8, 1},
                   {Cruise, false, 30, 6, 8, 1},
                   {Still, false, burst, 8, 10, 2},
                   {Still, false, burst, 12, 15, 2}}},
    });
}

}  // namespace robotkit
