#include "RobotKit.h"

#include <cstring>

namespace robotkit {

MotionNode& Node(MotionGraph& graph, int node) { return graph.nodes[node]; }

ShotPhase& Phase(ShotTrackTable& table, int plane, int track, int phase) {
    return table.planes[plane][track].phases[phase];
}

Link LinkToNode(const MotionGraph& graph, int node) { return MakeLink(graph, graph.nodes[node]); }

Link LinkToPhase(const ShotTrackTable& table, int plane, int track, int phase) {
    return MakeLink(table, table.planes[plane][track].phases[phase]);
}

void SetHeadingLink(Link (&links)[kHeadingCount], int heading, Link target) {
    links[StoredSlotOf(heading)] = target;
}

void WriteLaunchLinks(ShotTrackTable& table, ShotPhase& at, int track, int phase) {
    for (int facing = 0; facing < kHeadingCount; ++facing)
        SetHeadingLink(at.launchLinks, facing, LinkToPhase(table, facing, track, phase));
}

void WriteSteerLinksByTrack(ShotTrackTable& table, ShotPhase& at, int plane, int phase) {
    for (int direction = 0; direction < kHeadingCount; ++direction)
        SetHeadingLink(at.steerLinks, direction, LinkToPhase(table, plane, direction, phase));
}

void WriteSteerLinksByPlane(ShotTrackTable& table, ShotPhase& at, int track, int phase) {
    for (int direction = 0; direction < kHeadingCount; ++direction)
        SetHeadingLink(at.steerLinks, direction, LinkToPhase(table, direction, track, phase));
}

Link ChainLink(const ShotTrackTable& table, int plane, int track, int next, int phases) {
    return next < phases ? LinkToPhase(table, plane, track, next) : kNoLink;
}

void WriteEveryLaunchOffset(WeaponDescriptor& weapon, int parts, LaunchOffset offset) {
    WriteLaunchOffsets(weapon, parts, [&](int, int) { return offset; });
}

namespace {
template <typename T>
void Put(T& field, const std::optional<T>& value) {
    if (value) field = *value;
}
}  // namespace

void WritePhase(ShotPhase& phase, const PhaseFields& f) {
    Put(phase.velocityX, f.velocityX);
    Put(phase.velocityY, f.velocityY);
    Put(phase.damage, f.damage);
    Put(phase.stun, f.stun);
    Put(phase.duration, f.duration);
    Put(phase.hitKind, f.hitKind);
    Put(phase.halfHeight, f.halfHeight);
    Put(phase.halfWidth, f.halfWidth);
    Put(phase.extentY, f.extentY);
    Put(phase.extentX, f.extentX);
    Put(phase.spareWord, f.spareWord);
    Put(phase.shotMode, f.shotMode);
    Put(phase.guardBreak, f.guardBreak);
    Put(phase.knockBackMode, f.knockBackMode);
    Put(phase.endOnOwnerHit, f.endOnOwnerHit);
}

void WriteSoundName(TextHandle& field, const char* name) {
    const TextHandle text = TextCreate(name);  // count 1: ours
    TextAssign(&field, text);                  // count 2: the field's; the old text loses one
    TextRelease(text);                         // count 1: the game's alone
}

void WriteWeapon(WeaponDescriptor& weapon, const WeaponFields& f) {
    Put(weapon.ammunition, f.ammunition);
    Put(weapon.gaugeCost, f.gaugeCost);
    Put(weapon.hideOnHit, f.hideOnHit);
    Put(weapon.singleHit, f.singleHit);
    Put(weapon.volleys, f.volleys);
    Put(weapon.shotsPerVolley, f.shotsPerVolley);
    Put(weapon.trailCircles, f.trailCircles);
    if (f.trailRadii)
        for (int k = 0; k < 3; ++k) weapon.trailRadii[k] = (*f.trailRadii)[k];
    Put(weapon.spareFlag, f.spareFlag);

    WriteSoundName(weapon.hitSound, f.hitSound);
    WriteSoundName(weapon.fireSound, f.fireSound);
}

void WriteNode(MotionGraph& graph, const NodeSpec& spec, Numbering numbering) {
    MotionNode& node = Node(graph, spec.node);
    node.canAct = spec.canAct;
    node.pose = spec.pose;
    node.canMove = spec.canMove;
    node.frameCount = spec.frameCount;
    node.fires = spec.fires;
    node.canTurn = spec.canTurn;
    if (numbering == Numbering::Written) {
        node.motionNumber = spec.node / kNodesPerChain;
        node.stepNumber = spec.node % kNodesPerChain;
    }
    node.nextNode = LinkToNode(graph, spec.next);
    for (int w = 0; w < 4; ++w) node.weaponNodes[w] = LinkToNode(graph, spec.weapons[w]);
    node.guardNode = LinkToNode(graph, spec.guard);
    node.hitNode = LinkToNode(graph, spec.node == kGuardNode ? kGuardNode : kStunNode);
    node.graphBase = LinkToNode(graph, 0);
}

void WriteGraph(MotionGraph& graph, std::span<const NodeSpec> nodes, Numbering numbering) {
    for (const NodeSpec& node : nodes) WriteNode(graph, node, numbering);
}

namespace {
void Change(NodeSpec& spec, const NodeChange& change) {
    const auto flag = static_cast<std::uint8_t>(change.value);
    switch (change.field) {
        case NodeField::CanAct: spec.canAct = flag; break;
        case NodeField::CanMove: spec.canMove = flag; break;
        case NodeField::FrameCount: spec.frameCount = change.value; break;
        case NodeField::CanTurn: spec.canTurn = flag; break;
        case NodeField::Weapon1Node: spec.weapons[0] = change.value; break;
        case NodeField::Weapon2Node: spec.weapons[1] = change.value; break;
        case NodeField::GuardNode: spec.guard = change.value; break;
    }
}
}  // namespace

void WriteGraphCopy(MotionGraph& graph, std::span<const NodeSpec> reference, std::span<const NodeChange> changes) {
    for (NodeSpec spec : reference) {
        for (const NodeChange& change : changes)
            if (change.node == spec.node) Change(spec, change);
        WriteNode(graph, spec, Numbering::Untouched);
        if (spec.node == 0) std::memcpy(&Node(graph, kNeutralCopyNode), &Node(graph, 0), sizeof(MotionNode));
    }
}

}  // namespace robotkit
