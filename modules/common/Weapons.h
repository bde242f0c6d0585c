// The weapon designs robot modules share: one routine each, fed a row of
// constants by every module that carries it.
#pragma once

#include "RobotKit.h"

namespace robotkit {

// ---------------------------------------------------------------------------
// Straight shots: phase 0 flies along the plane and ends; some weapons also
// keep a spent shell in phase 1, which no link reaches. Guns, cannons,
// machine guns and rifles.
// ---------------------------------------------------------------------------
// The spent shell: still, harmless, 5 frames.
struct SpentShell {
    std::int32_t stun, halfSize, spareWord;
    std::optional<std::uint8_t> endOnOwnerHit{};  // none: left as it was
};
// The rifles' spent shell, and robot 7's cannon's.
inline constexpr SpentShell kSpentShell{.stun = 4, .halfSize = 8, .spareWord = 1, .endOnOwnerHit = 0};
inline constexpr SpentShell kGunSpentShell{.stun = 8, .halfSize = 10, .spareWord = 1};

struct StraightShotSpec {
    WeaponFields weapon;
    int parts;                                  // launch offsets written for parts 0..parts-1
    LaunchOffset offsets[kHeadingCount][3];
    std::int32_t straightSpeed, diagonalSpeed;  // phase 0 velocity along the plane
    PhaseFields flight;                         // phase 0, velocity aside
    const SpentShell* spent;                    // phase 1; none: left as it was
};
void FillStraightShot(WeaponDescriptor& weapon, ShotTrackTable& table, const StraightShotSpec& spec);

// Robot 7's gun, volleys of three. Robot 8's gun and robot 9's triple cannon
// are this row with a few constants changed.
inline constexpr StraightShotSpec kDoviGTR{
    .weapon = {.ammunition = 240, .hideOnHit = 1, .singleHit = 1, .volleys = 5, .shotsPerVolley = 3,
               .fireSound = "ATTACK4", .hitSound = "HITTED4", .trailCircles = 0},
    .parts = 3,
    .offsets = {{{10, -70}, {0, -45}, {-10, -20}},
                {{80, -70}, {60, -35}, {40, -20}},
                {{70, -10}, {45, 0}, {20, 10}},
                {{80, 50}, {60, 35}, {40, 20}},
                {{10, 70}, {0, 45}, {-10, 40}},
                {{-80, 50}, {-60, 35}, {-40, 20}},
                {{-70, -10}, {-45, 0}, {-20, 10}},
                {{-80, -50}, {-60, -35}, {-40, -20}}},
    .straightSpeed = 18,
    .diagonalSpeed = 14,
    .flight = {.damage = 8, .stun = 8, .duration = 32, .hitKind = 1, .halfHeight = 10, .halfWidth = 10,
               .spareWord = 1, .shotMode = ShotStraight, .guardBreak = 0, .knockBackMode = 1,
               .endOnOwnerHit = 0},
    .spent = &kGunSpentShell,
};

// The machine guns: robot 7's gun with shorter-lived, smaller bullets and no spent shell.
constexpr StraightShotSpec MachineGun(std::int32_t ammunition, std::int32_t volleys) {
    StraightShotSpec gun = kDoviGTR;
    gun.weapon.ammunition = ammunition;
    gun.weapon.volleys = volleys;
    gun.flight.duration = 20;
    gun.flight.halfHeight = gun.flight.halfWidth = 8;
    gun.spent = nullptr;
    return gun;
}

// The rifles: one bullet a volley, 30 ahead (25 per axis on a diagonal).
struct RifleRow {
    std::int32_t ammunition, volleys, damage, stun, halfSize;
};
constexpr StraightShotSpec Rifle(const RifleRow& row) {
    StraightShotSpec rifle{
        .weapon = {.ammunition = row.ammunition, .hideOnHit = 1, .singleHit = 1, .volleys = row.volleys,
                   .shotsPerVolley = 1, .fireSound = "ATTACK1", .hitSound = "HITTED4", .trailCircles = 0},
        .parts = 1,
        .offsets = {},
        .straightSpeed = 20,
        .diagonalSpeed = 15,
        .flight = {.damage = row.damage, .stun = row.stun, .duration = 50, .hitKind = 1, .halfHeight = row.halfSize,
                   .halfWidth = row.halfSize, .spareWord = 1, .shotMode = ShotStraight, .guardBreak = 0,
                   .knockBackMode = 1, .endOnOwnerHit = 0},
        .spent = &kSpentShell,
    };
    for (int facing = 0; facing < kHeadingCount; ++facing) rifle.offsets[facing][0] = AlongFacing(facing, 30, 25);
    return rifle;
}

// ---------------------------------------------------------------------------
// Riding strikes: a blade or club carried at the owner's launch offset through
// a chain of phases, each reaching out by its own length.
// ---------------------------------------------------------------------------
inline constexpr int kMaxStrikePhases = 8;

struct HalfSize {
    std::int32_t height, width;
};

// Every strike rides unmoving on its owner, one part a volley, and breaks
// guards; it ends when its owner is stunned. The rows hold the rest.
struct RidingStrikeSpec {
    std::int32_t ammunition, gaugeCost;
    std::uint8_t singleHit;                  // 0: the zone hits every frame it overlaps
    const char* fireSound;
    const char* hitSound;
    std::int32_t damage;                     // every phase
    LaunchOffset offsets[kHeadingCount];     // part 0 by facing: where the strike rides
    int phases;                              // phases 0..phases-1 chain into each other, then the strike ends
    std::int32_t duration[kMaxStrikePhases];
    std::int32_t stun[kMaxStrikePhases];
    std::int32_t armExtent[kMaxStrikePhases];  // extentY of each phase: how far the arms reach out
    std::int32_t hitKind[kMaxStrikePhases];
    HalfSize size[kHeadingCount];            // half sizes by plane
    int sizedPhases;                         // phases given the half sizes, at least `phases`
};
void FillRidingStrike(WeaponDescriptor& weapon, ShotTrackTable& table, const RidingStrikeSpec& spec);

// Melee strikes: a riding strike r out along the facing (r per axis on a
// diagonal), one part, paid by a gauge of at least 1 and no ammunition.
inline constexpr int kMaxMeleePhases = 6;

// Half sizes by the plane's class: up and down, the diagonals, right and left.
struct PlaneClassSizes {
    HalfSize upDown, diagonal, rightLeft;
};
constexpr PlaneClassSizes SameInEveryPlane(std::int32_t height, std::int32_t width) {
    return {{height, width}, {height, width}, {height, width}};
}

struct MeleeSpec {
    std::int32_t offset;                      // r: how far ahead the strike rides
    int phases;
    std::int32_t duration[kMaxMeleePhases];
    std::int32_t damage;                      // every phase
    std::int32_t stun[kMaxMeleePhases];
    std::int32_t hitKind[kMaxMeleePhases];
    std::int32_t armExtent[kMaxMeleePhases];  // extentY of each phase: how far the arms reach out
    PlaneClassSizes size;
    const char* fireSound;
    const char* hitSound;
    std::uint8_t singleHit = 1;               // 0: the zone hits every frame it overlaps
};
void FillMelee(WeaponDescriptor& weapon, ShotTrackTable& table, const MeleeSpec& spec);

// ---------------------------------------------------------------------------
// Pellet fans: five pellets leave together, fan out by track, then stand
// still; part j flies track j.
// ---------------------------------------------------------------------------
struct PelletFanSpec {
    std::int32_t ammunition, stun, halfSize;
    std::int32_t launchStraight, launchDiagonal;  // parts 0-5 start this far ahead of the robot
};
void FillPelletFan(WeaponDescriptor& weapon, ShotTrackTable& table, const PelletFanSpec& spec);

// ---------------------------------------------------------------------------
// Thrown charges: a flight, then a chain of blast steps that a hit in flight
// jumps to. Grenade and mine.
// ---------------------------------------------------------------------------
inline constexpr int kMaxChargePhases = 5;
inline constexpr int kNoPhase = -1;

enum class Course { Heading, Opposite, Fixed };  // the plane's heading at (a, b), its opposite, or (a, b) itself

struct ChargePhase {
    std::int32_t shotMode;
    Course course;
    std::int32_t a, b;
    std::int32_t duration, hitKind, halfSize, extentY, extentX, knockBackMode;
    int hitPhase, nextPhase;  // phases of the same track, or kNoPhase
};

struct ChargeSpec {
    WeaponFields weapon;
    PhaseFields common;  // every phase, before its own row
    int phases;
    ChargePhase phase[kMaxChargePhases];
};
void FillCharge(WeaponDescriptor& weapon, ShotTrackTable& table, const ChargeSpec& spec);

// ---------------------------------------------------------------------------
// Beams: ten segments a volley laid out along the facing, drawn as one line.
// ---------------------------------------------------------------------------
struct BeamSpec {
    std::int32_t damage, duration;
};
void FillBeam(WeaponDescriptor& weapon, ShotTrackTable& table, const BeamSpec& spec);

// ---------------------------------------------------------------------------
// Steering missiles: the frame of every track (launch, cruise, two steerings,
// explosion); the eight path fillers add the curves afterwards.
// ---------------------------------------------------------------------------
struct MissileSpec {
    std::int32_t ammunition, volleys, damage;
};
void FillMissile(WeaponDescriptor& weapon, ShotTrackTable& table, const MissileSpec& spec);

// The curves of one plane: by track (the direction the steering found), the
// velocities of phases 3, 4, 5; phases 8, 9, 10 repeat them but for one.
struct CurveTrack {
    Velocity first[3];
    int differingPhase = 0;  // 8, 9 or 10 where the second curve departs, or 0
    Velocity differingVelocity{};
};
struct MissileCurve {
    CurveTrack tracks[kHeadingCount];
    bool holdsAfterHitInTrack4;  // phase 4 of track 4 keeps the missile in it on a hit
};
extern const MissileCurve kMissileCurves[kHeadingCount];  // by the heading of the filler's name

// Writes the curve phases of tracks 0-7 of `plane`. A plane outside 0-7 writes nothing.
void FillMissilePath(std::int32_t plane, ShotTrackTable& table, const MissileCurve& curve);

// ---------------------------------------------------------------------------
// Steering shots: a start of their own, then two turns toward the opponent
// through steerLinks, then a burst that every hit jumps to. Part j flies track j.
// ---------------------------------------------------------------------------
// One shot a volley that leaves backwards and swings round onto its heading.
struct SwingingShotSpec {
    std::int32_t ammunition, volleys, damage, stun;
};
void FillSwingingShot(WeaponDescriptor& weapon, ShotTrackTable& table, const SwingingShotSpec& spec);

// A swarm of six thrown out backwards in mirrored pairs, spreading forward before the turns.
struct SwarmSpec {
    std::int32_t ammunition, damage, stun;
    std::int32_t pauseDuration;                   // phases 3, 4, 6 and 7, around the turns
    std::int32_t burstDuration;                   // phases 9 and 10
    std::int32_t cruiseStraight, cruiseDiagonal;  // phases 5 and 8, after each turn
};
void FillSwarm(WeaponDescriptor& weapon, ShotTrackTable& table, const SwarmSpec& spec);

// ---------------------------------------------------------------------------
// Rocket salvos: rockets leave in a fan, straighten onto the launch heading
// and end in a harmless burst. Rocket j flies track j.
// ---------------------------------------------------------------------------
inline constexpr int kMaxRockets = 6;
struct RocketSalvoSpec {
    LaunchOffset offset;                           // every rocket, every facing
    std::int32_t ammunition, rockets;              // rockets a volley
    const char* hitSound;
    Velocity fan[kHeadingCount][kMaxRockets];      // phase 0 by plane and rocket
};
void FillRocketSalvo(WeaponDescriptor& weapon, ShotTrackTable& table, const RocketSalvoSpec& spec);

// ---------------------------------------------------------------------------
// Shells: rise straight up, hold above the opponent, aim, fall harmlessly and
// burst. Every plane alike; part j flies track j.
// ---------------------------------------------------------------------------
inline constexpr int kMaxShellParts = 6;
inline constexpr int kMaxBurstSteps = 6;

struct ShellAim {
    Velocity offset;        // from the opponent, held through the aim
    std::int32_t duration;
};
struct BurstStep {
    std::int32_t duration, halfSize, extent;
};
struct ShellSpec {
    WeaponFields weapon;
    std::int32_t damage, stun;
    int parts;                           // tracks flown
    ShellAim aim[kMaxShellParts];        // by track
    HalfSize aimSize;
    int burstSteps;
    BurstStep burst[kMaxBurstSteps];
    // Tracks and phases written, at least the parts and the phases flown: those
    // past them get only what every phase shares (and the launch links).
    int filledTracks, filledPhases;
};
void FillShell(WeaponDescriptor& weapon, ShotTrackTable& table, const ShellSpec& spec);

}  // namespace robotkit
