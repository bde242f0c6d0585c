// Beams: ten segments a volley laid out along the facing; each flies on for a
// few frames, and the game draws the volley as one line from the robot.
#include "Weapons.h"

namespace robotkit {
namespace {

constexpr WeaponFields kBeamWeapon{.ammunition = 256, .gaugeCost = 16, .hideOnHit = 0, .singleHit = 1, .volleys = 1,
                                   .shotsPerVolley = kMaxParts, .fireSound = "BEAM", .hitSound = "HITTED4",
                                   .trailCircles = 0};

// Segment j starts kFirstSegment + j * step along the facing (per axis on a diagonal).
constexpr std::int32_t kFirstSegment = 35;
constexpr std::int32_t kStraightStep = 80, kDiagonalStep = 70;
constexpr std::int32_t kStraightSpeed = 20, kDiagonalSpeed = 15;
constexpr std::int32_t kLineLength = 800;  // per axis, the drawn line's reach
constexpr std::int32_t kStun = 80, kHalfSize = 14;

}  // namespace

void FillBeam(WeaponDescriptor& weapon, ShotTrackTable& table, const BeamSpec& spec) {
    WriteWeapon(weapon, kBeamWeapon);
    WriteLaunchOffsets(weapon, kMaxParts, [](int facing, int part) {
        return AlongFacing(facing, kFirstSegment + kStraightStep * part, kFirstSegment + kDiagonalStep * part);
    });

    // Every track of the table, all ten.
    ForEachPhase(table, kTracksPerPlane, 1, [&](ShotPhase& phase, int plane, int track, int) {
        const Velocity velocity = HeadingVector(plane, kStraightSpeed, kDiagonalSpeed);
        const Velocity reach = HeadingVector(plane, kLineLength, kLineLength);
        WritePhase(phase, {.velocityX = velocity.x, .velocityY = velocity.y, .damage = spec.damage, .stun = kStun,
                           .duration = spec.duration, .hitKind = 1, .halfHeight = kHalfSize, .halfWidth = kHalfSize,
                           .extentY = reach.y, .extentX = reach.x, .spareWord = 0, .shotMode = ShotBeam,
                           .guardBreak = 0, .knockBackMode = 1, .endOnOwnerHit = 1});
        phase.hitPhase = kNoLink;
        phase.nextPhase = kNoLink;
        WriteLaunchLinks(table, phase, track, 0);
    });
}

}  // namespace robotkit
