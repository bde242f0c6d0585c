// Robot 4, "Vo-Do": the poison tiger. Spits acid, clubs with its tonfa, and
// fires a spreading bazooka volley. Three weapons: the game fills the fourth.
#include "Weapons.h"

using namespace robotkit;

namespace {

constexpr MoveSpec kBody{.maxHitPoints = 620, .gaugeMax = 500, .drawHalfSize = 35, .hitHalfSize = 25,
                         .spareParam = 13, .stunRecoveryStep = 6, .decelPeriod = 3};

// node, pose, canAct, canMove, frameCount, fires, canTurn, next, weapons 1-4, guard
constexpr NodeSpec kMotions[] = {
    // Weapon 1, acid: a short wind-up, spit, and spit again while held.
    {12, 1, 0, 1, 4, 0, 0, 13, {13, 13, 13, 13}, 13},
    {13, 1, 0, 1, 6, 1, 0, 14, {13, 14, 14, 14}, 14},
    {14, 1, 1, 1, 8, 0, 1, 0, {13, 0, 0, 0}, 0},
    // Weapon 2, tonfa: a lunge; the club is out while the robot still moves.
    {24, 2, 0, 1, 3, 0, 0, 25, {25, 25, 25, 25}, 25},
    {25, 2, 0, 1, 12, 1, 0, 26, {26, 26, 26, 26}, 26},
    {26, 2, 0, 1, 6, 0, 0, 0, {0, 0, 0, 0}, 0},
    // Weapon 3, bazooka: planted to aim, one volley, a long recovery.
    {36, 3, 1, 0, 8, 0, 1, 37, {12, 37, 37, 37}, 60},
    {37, 3, 0, 0, 4, 1, 0, 38, {38, 38, 38, 38}, 38},
    {38, 3, 0, 0, 14, 0, 1, 0, {0, 0, 0, 0}, 0},
    // Neutral, guard, stun.
    {0, 0, 1, 1, 1, 0, 1, 0, {12, 24, 36, 48}, 60},
    {60, 5, 0, 0, 1, 0, 1, 0, {0, 0, 0, 0}, 60},
    {72, 6, 0, 1, 10, 0, 1, 0, {0, 0, 0, 0}, 0},
};

constexpr SpentShell kAcidSpentShell{.stun = 0, .halfSize = 11, .spareWord = 0, .endOnOwnerHit = 0};

constexpr StraightShotSpec kAcid{
    .weapon = {.ammunition = 40, .hideOnHit = 1, .singleHit = 1, .volleys = 4, .shotsPerVolley = 1,
               .fireSound = "ACID", .hitSound = "HITTED3", .trailCircles = 1,
               .trailRadii = std::array<std::int32_t, 3>{9, 6, 3}, .spareFlag = 0},
    .parts = 1,
    .offsets = {{{0, -35}}, {{28, -28}}, {{35, 0}}, {{28, 28}}, {{0, 35}}, {{-28, 28}}, {{-35, 0}}, {{-28, -28}}},
    .straightSpeed = 11,
    .diagonalSpeed = 8,
    .flight = {.damage = 34, .stun = 24, .duration = 40, .hitKind = 1, .halfHeight = 11, .halfWidth = 11,
               .extentY = 10, .extentX = 10, .spareWord = 0, .shotMode = ShotStraight, .guardBreak = 0,
               .knockBackMode = 1, .endOnOwnerHit = 0},
    .spent = &kAcidSpentShell,
};

// The tonfa swings through four phases at the robot's side; it breaks guards.
constexpr RidingStrikeSpec kTonfa{
    .ammunition = 200,
    .gaugeCost = 90,
    .singleHit = 1,
    .fireSound = "ATTACK1",
    .hitSound = "HITTED1",
    .damage = 64,
    .offsets = {{0, -40}, {35, -35}, {40, 0}, {35, 35}, {0, 40}, {-35, 35}, {-40, 0}, {-35, -35}},
    .phases = 4,
    .duration = {3, 3, 3, 3},
    .stun = {26, 26, 26, 26},
    .armExtent = {30, 45, 45, 30},
    .hitKind = {2, 2, 2, 0},
    .size = {{26, 18}, {22, 22}, {18, 26}, {22, 22}, {26, 18}, {22, 22}, {18, 26}, {22, 22}},
    .sizedPhases = 4,
};

// The bazooka's three rockets fly their own tracks, fanned out around the
// facing, and burst where they hit or at the end of their flight.
constexpr int kRockets = 3;
constexpr int kSpread[kRockets] = {0, 1, -1};  // headings off the plane's own, by track
constexpr LaunchOffset kRocketOffsets[kHeadingCount][kRockets] = {
    {{0, -45}, {12, -40}, {-12, -40}}, {{35, -35}, {40, -22}, {22, -40}}, {{45, 0}, {40, 12}, {40, -12}},
    {{35, 35}, {22, 40}, {40, 22}},    {{0, 45}, {-12, 40}, {12, 40}},    {{-35, 35}, {-40, 22}, {-22, 40}},
    {{-45, 0}, {-40, -12}, {-40, 12}}, {{-35, -35}, {-22, -40}, {-40, -22}}};
constexpr PhaseFields kRocketFlight{.damage = 58, .stun = 45, .duration = 26, .hitKind = 1, .halfHeight = 12,
                                    .halfWidth = 12, .extentY = 14, .extentX = 14, .spareWord = 0,
                                    .shotMode = ShotStraight, .guardBreak = 0, .knockBackMode = 1, .endOnOwnerHit = 0};
constexpr PhaseFields kRocketBurst{.velocityX = 0, .velocityY = 0, .damage = 0, .stun = 0, .duration = 8,
                                   .hitKind = 0, .halfHeight = 24, .halfWidth = 24, .extentY = 0, .extentX = 0,
                                   .spareWord = 0, .shotMode = ShotStraight, .guardBreak = 0, .knockBackMode = 1,
                                   .endOnOwnerHit = 0};

void FillBazooka(WeaponDescriptor& weapon, ShotTrackTable& table) {
    WriteLaunchOffsets(weapon, kRocketOffsets);
    WriteWeapon(weapon, {.ammunition = 18, .hideOnHit = 1, .singleHit = 1, .volleys = 2, .shotsPerVolley = kRockets,
                         .fireSound = "ATTACK3", .hitSound = "HITTED3", .trailCircles = 1,
                         .trailRadii = std::array<std::int32_t, 3>{10, 7, 4}, .spareFlag = 0});

    ForEachPhase(table, kRockets, 2, [&](ShotPhase& phase, int plane, int track, int n) {
        if (n == 0) {
            const Velocity velocity = HeadingVector((plane + kSpread[track] + kHeadingCount) % kHeadingCount, 13, 10);
            WritePhase(phase, kRocketFlight);
            phase.velocityX = velocity.x;
            phase.velocityY = velocity.y;
            phase.hitPhase = LinkToPhase(table, plane, track, 1);
            phase.nextPhase = LinkToPhase(table, plane, track, 1);
        } else {
            WritePhase(phase, kRocketBurst);
            phase.hitPhase = kNoLink;
            phase.nextPhase = kNoLink;
        }
        WriteLaunchLinks(table, phase, track, 0);
    });
}

}  // namespace

ROBOT_EXPORT(MoveExport, Move)(RobotDescriptor* robot, std::int32_t speedBias) { FillMove(*robot, speedBias, kBody); }

// Weapon 4's chain is a copy of neutral: robot 4 has no fourth weapon.
ROBOT_EXPORT(MotionExport, Motion)(MotionGraph* graph) { WriteGraphCopy(*graph, kMotions, {}); }

ROBOT_EXPORT(WeaponExport, DFAcid)(WeaponDescriptor* weapon, ShotTrackTable* tracks) { FillStraightShot(*weapon, *tracks, kAcid); }

ROBOT_EXPORT(WeaponExport, DFTonfer)(WeaponDescriptor* weapon, ShotTrackTable* tracks) {
    FillRidingStrike(*weapon, *tracks, kTonfa);
}

ROBOT_EXPORT(WeaponExport, DFBazooka)(WeaponDescriptor* weapon, ShotTrackTable* tracks) { FillBazooka(*weapon, *tracks); }
