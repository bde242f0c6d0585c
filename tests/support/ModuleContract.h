// What every robot module must give the game, checked on the records a
// binding filled: a living body, a walkable motion graph, and weapons whose
// every reachable phase is fully linked inside its table.
#pragma once

#include "HeadlessSystem.h"
#include "ModuleCalls.h"
#include "ModuleFixture.h"

#include <set>
#include <string>
#include <vector>

struct BoundRobot {
    RobotDescriptor robot;
    MotionGraph graph;
    WeaponDescriptor weapons[4];
    ShotTrackTable tracks[4];
};

// Binds a row of the robot table through the game's own call loop, on the
// modules of this build. True when every call ran.
inline bool BindRow(const RobotEntry& robot, BoundRobot& bound) {
    platform::HeadlessSystem system;
    system.currentDirectory = MODULE_DIRECTORY;
    return CallExports(system, robot, {bound.robot, bound.graph, bound.weapons, bound.tracks}) == nullptr;
}

inline bool IsGameSound(const std::string& name) {
    static const std::set<std::string> names = {"HITTED1", "HITTED2", "HITTED3", "HITTED4", "ATTACK1", "ATTACK2",
                                                "ATTACK3", "ATTACK4", "ATTACK5", "BEAM",    "ACID"};
    return names.count(name) > 0;
}

// Every phase a shot of the weapon can reach from its start phases (track 0,
// or track j for part j of a per-part weapon) runs out, and a launch from it
// starts the same track in the plane of the owner's facing.
inline void ExpectWeaponTracks(const WeaponDescriptor& weapon, const ShotTrackTable& table, bool perPart) {
    std::vector<PhasePlace> starts = {{0, 0, 0}};
    for (int part = 1; perPart && part < weapon.shotsPerVolley && part < kMaxParts; ++part) starts.push_back({0, part, 0});
    for (const PhasePlace& at : ReachablePhases(table, starts)) {
        const ShotPhase& phase = table.planes[at.plane][at.track].phases[at.phase];
        EXPECT_GE(phase.duration, 1) << "plane " << at.plane << " track " << at.track << " phase " << at.phase;
        for (int facing = 0; facing < kHeadingCount; ++facing) {
            const ShotPhase* start = ResolveLink<ShotPhase>(table, phase.launchLinks[StoredSlotOf(facing)]);
            ASSERT_NE(start, nullptr);
            EXPECT_EQ(PlaceOf(table, *start), (PhasePlace{facing, at.track, 0}));
        }
    }
}

// `weapons` of the robot's own (3 or 4); `perPart[w]` when part j of weapon w starts on track j.
inline void ExpectModuleContract(const BoundRobot& bound, int weapons, const std::vector<bool>& perPart) {
    EXPECT_GT(bound.robot.maxHitPoints, 0);
    EXPECT_GT(bound.robot.gaugeMax, 0);
    EXPECT_GT(bound.robot.normalSpeeds.rows[0].decelPeriod, 0);

    // The graph: node 0 leads to every chain; every reachable link stays in
    // the graph, and every reachable node but a stun node ends by time.
    const MotionGraph& graph = bound.graph;
    const MotionNode& neutral = graph.nodes[0];
    for (int w = 0; w < 4; ++w) EXPECT_EQ(neutral.weaponNodes[w], MakeLink(graph, graph.nodes[12 * (w + 1)])) << "weapon " << w + 1;
    EXPECT_EQ(neutral.guardNode, MakeLink(graph, graph.nodes[60]));
    EXPECT_EQ(neutral.hitNode, MakeLink(graph, graph.nodes[72]));
    std::set<int> seen = {0};
    std::vector<int> open = {0};
    while (!open.empty()) {
        const MotionNode& node = graph.nodes[open.back()];
        open.pop_back();
        if (node.pose != PoseHit) {
            EXPECT_GE(node.frameCount, 1);
        }
        std::vector<Link> links(std::begin(node.weaponNodes), std::end(node.weaponNodes));
        links.insert(links.end(), {node.nextNode, node.guardNode, node.hitNode});
        for (Link link : links) {
            const MotionNode* next = ResolveLink<MotionNode>(graph, link);
            ASSERT_NE(next, nullptr);
            const int index = static_cast<int>(next - graph.nodes);
            if (seen.insert(index).second) open.push_back(index);
        }
    }

    for (int w = 0; w < weapons; ++w) {
        SCOPED_TRACE("weapon " + std::to_string(w + 1));
        const WeaponDescriptor& weapon = bound.weapons[w];
        EXPECT_TRUE(weapon.volleys >= 1 && weapon.volleys <= kMaxVolleys);
        EXPECT_TRUE(weapon.shotsPerVolley >= 1 && weapon.shotsPerVolley <= kMaxParts);
        EXPECT_TRUE(IsGameSound(TextChars(weapon.fireSound))) << TextChars(weapon.fireSound);
        const std::string hit = TextChars(weapon.hitSound);
        EXPECT_TRUE(hit.size() == 7 && hit.rfind("HITTED", 0) == 0 && hit[6] >= '1' && hit[6] <= '4') << hit;

        ExpectWeaponTracks(weapon, bound.tracks[w], perPart[w]);
    }
}
