// Building blocks of robot modules, linked into every module as one static
// library: addressing the records, links, field sets, the phase walk, motion
// graphs and bodies. The weapon families built on them are in Weapons.h.
#pragma once

#include "RobotModule.h"

#include <array>
#include <optional>
#include <span>

namespace robotkit {

// ---------------------------------------------------------------------------
// Addressing records
// ---------------------------------------------------------------------------
MotionNode& Node(MotionGraph& graph, int node);
ShotPhase& Phase(ShotTrackTable& table, int plane, int track, int phase);

struct Velocity {
    std::int32_t x;
    std::int32_t y;
};

// The vector of a heading: `straight` on the four axes, `diagonal` per axis on the diagonals.
constexpr Velocity HeadingVector(int heading, std::int32_t straight, std::int32_t diagonal) {
    switch (heading) {
        case UN: return {0, -straight};
        case UR: return {diagonal, -diagonal};
        case NR: return {straight, 0};
        case DR: return {diagonal, diagonal};
        case DN: return {0, straight};
        case DL: return {-diagonal, diagonal};
        case NL: return {-straight, 0};
        default: return {-diagonal, -diagonal};
    }
}

// ---------------------------------------------------------------------------
// Links (all within the block the export was handed)
// ---------------------------------------------------------------------------
Link LinkToNode(const MotionGraph& graph, int node);
Link LinkToPhase(const ShotTrackTable& table, int plane, int track, int phase);

// Writes `target` into the entry of `heading` of a steer or launch link array.
void SetHeadingLink(Link (&links)[kHeadingCount], int heading, Link target);

// launchLinks: for each facing h, phase `phase` of `track` in plane h.
void WriteLaunchLinks(ShotTrackTable& table, ShotPhase& at, int track, int phase);

// steerLinks that change track: for each direction d, phase `phase` of track d in `plane`.
void WriteSteerLinksByTrack(ShotTrackTable& table, ShotPhase& at, int plane, int phase);

// steerLinks that change plane: for each direction d, phase `phase` of `track` in plane d.
void WriteSteerLinksByPlane(ShotTrackTable& table, ShotPhase& at, int track, int phase);

// The link to phase `next` of the same track, or none when the chain of `phases` ends before it.
Link ChainLink(const ShotTrackTable& table, int plane, int track, int next, int phases);

// ---------------------------------------------------------------------------
// The phase walk
// ---------------------------------------------------------------------------
// Tracks 0-7 of every plane are what a weapon family writes; 8 and 9 keep what they held.
inline constexpr int kFilledTracks = 8;

// Calls fn(phase, plane, track, n) for phases 0..phases-1 of tracks 0..tracks-1, in every plane.
template <typename Fn>
void ForEachPhase(ShotTrackTable& table, int tracks, int phases, Fn&& fn) {
    for (int plane = 0; plane < kHeadingCount; ++plane)
        for (int track = 0; track < tracks; ++track)
            for (int n = 0; n < phases; ++n) fn(Phase(table, plane, track, n), plane, track, n);
}

// ---------------------------------------------------------------------------
// Field sets: only the fields a row holds are written; the rest keep what the
// record held, as the game expects.
// ---------------------------------------------------------------------------
struct PhaseFields {
    std::optional<std::int32_t> velocityX{};
    std::optional<std::int32_t> velocityY{};
    std::optional<std::int32_t> damage{};
    std::optional<std::int32_t> stun{};
    std::optional<std::int32_t> duration{};
    std::optional<std::int32_t> hitKind{};
    std::optional<std::int32_t> halfHeight{};
    std::optional<std::int32_t> halfWidth{};
    std::optional<std::int32_t> extentY{};
    std::optional<std::int32_t> extentX{};
    std::optional<std::int32_t> spareWord{};
    std::optional<std::int32_t> shotMode{};
    std::optional<std::uint8_t> guardBreak{};
    std::optional<std::int32_t> knockBackMode{};
    std::optional<std::uint8_t> endOnOwnerHit{};
};
void WritePhase(ShotPhase& phase, const PhaseFields& fields);

struct WeaponFields {
    std::optional<std::int32_t> ammunition{};
    std::optional<std::int32_t> gaugeCost{};
    std::optional<std::uint8_t> hideOnHit{};
    std::optional<std::uint8_t> singleHit{};
    std::optional<std::int32_t> volleys{};
    std::optional<std::int32_t> shotsPerVolley{};
    const char* fireSound = nullptr;
    const char* hitSound = nullptr;
    std::optional<std::int32_t> trailCircles{};
    std::optional<std::array<std::int32_t, 3>> trailRadii{};
    std::optional<std::int32_t> spareFlag{};
};
// Writes the fields and builds both sound names.
void WriteWeapon(WeaponDescriptor& weapon, const WeaponFields& fields);

// Builds a text from `name` through the shared text library and puts it in `field`.
void WriteSoundName(TextHandle& field, const char* name);

// The offset `straight` ahead of a robot facing `facing`, `diagonal` per axis on the diagonals.
constexpr LaunchOffset AlongFacing(int facing, std::int32_t straight, std::int32_t diagonal) {
    const Velocity at = HeadingVector(facing, straight, diagonal);
    return {at.x, at.y};
}

// Parts 0..parts-1 of every facing start at offsetOf(facing, part); the other parts keep theirs.
template <typename OffsetOf>
void WriteLaunchOffsets(WeaponDescriptor& weapon, int parts, OffsetOf&& offsetOf) {
    for (int facing = 0; facing < kHeadingCount; ++facing)
        for (int part = 0; part < parts; ++part) weapon.launchOffsets[facing][part] = offsetOf(facing, part);
}

template <int Parts>
void WriteLaunchOffsets(WeaponDescriptor& weapon, const LaunchOffset (&offsets)[kHeadingCount][Parts],
                        int parts = Parts) {
    WriteLaunchOffsets(weapon, parts, [&](int facing, int part) { return offsets[facing][part]; });
}

// Parts 0..parts-1 of every facing start at `offset`.
void WriteEveryLaunchOffset(WeaponDescriptor& weapon, int parts, LaunchOffset offset);

// ---------------------------------------------------------------------------
// Motion graphs
// ---------------------------------------------------------------------------
struct NodeSpec {
    int node;
    std::int32_t pose;
    std::uint8_t canAct, canMove;
    std::int32_t frameCount;
    std::uint8_t fires, canTurn;
    int next;
    int weapons[4];
    int guard;
};

enum class Numbering { Written, Untouched };  // motionNumber / stepNumber: chain and place, or left as they were

// Writes a whole node. Its hit link is the stun node, except the guard node,
// which is its own, so a broken guard stays in it.
void WriteNode(MotionGraph& graph, const NodeSpec& spec, Numbering numbering);

// Writes the nodes in table order; every other slot keeps what it held.
void WriteGraph(MotionGraph& graph, std::span<const NodeSpec> nodes, Numbering numbering);

inline constexpr int kGuardNode = 60;
inline constexpr int kStunNode = 72;
inline constexpr int kNeutralCopyNode = 48;  // weapon 4's chain of a three-weapon robot

// One cell where a copy of a reference graph departs from it.
enum class NodeField { CanAct, CanMove, FrameCount, CanTurn, Weapon1Node, Weapon2Node, GuardNode };
struct NodeChange {
    int node;
    NodeField field;
    std::int32_t value;  // a flag, a frame count or a node number
};

// A three-weapon graph: the reference nodes with the copy's changes, in table
// order, motion and step numbers left alone; once node 0 is whole, its every
// byte is copied into node 48, so weapon 4 on the default weapon stays neutral.
void WriteGraphCopy(MotionGraph& graph, std::span<const NodeSpec> reference, std::span<const NodeChange> changes);

// The Vazede graph (robot 1's) and the Wynmar graph (robot 2's), each with a copy's changes.
void FillVazedeMotion(MotionGraph& graph, std::span<const NodeChange> changes);
void FillWynmarMotion(MotionGraph& graph, std::span<const NodeChange> changes);

// ---------------------------------------------------------------------------
// Move: body constants plus the common speed tables with the caller's bias.
// ---------------------------------------------------------------------------
struct MoveSpec {
    std::int32_t maxHitPoints, gaugeMax;
    std::int32_t drawHalfSize;  // drawHalfHeight and drawHalfWidth
    std::int32_t hitHalfSize;   // hitHalfHeight and hitHalfWidth
    std::int32_t spareParam, stunRecoveryStep;
    std::int32_t decelPeriod;   // rows 0-3 of both tables
};
void FillMove(RobotDescriptor& robot, std::int32_t speedBias, const MoveSpec& spec);

// Robot 1's own form: no bias, `decelPeriod` in all eight rows of both tables.
void FillVidiruMove(RobotDescriptor& robot, const MoveSpec& spec);

// Words 0-63 of every row of both tables: the common speeds, `speedBias` added
// to every non-zero word but the three that hold the same value at any bias.
void WriteSpeeds(RobotDescriptor& robot, std::int32_t speedBias);

}  // namespace robotkit
