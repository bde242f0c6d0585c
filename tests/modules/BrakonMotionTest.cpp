// Motion of Brakon: VuruRovavu's motion graph.
#include "ModuleFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

namespace {

// node, pose, canAct, canMove, frameCount, fires, canTurn, next, w1, w2, w3, w4, guard
using NodeRow = std::array<int, 13>;
constexpr NodeRow kNodes[] = {
    {0, 0, 0, 1, 1, 0, 1, 0, 12, 24, 36, 48, 60},       {12, 1, 0, 1, 2, 0, 0, 13, 13, 13, 13, 13, 13},
    {13, 1, 0, 1, 2, 0, 0, 14, 14, 14, 14, 14, 14},     {14, 1, 1, 1, 2, 1, 0, 15, 14, 15, 15, 15, 15},
    {15, 1, 1, 1, 2, 1, 0, 16, 14, 16, 16, 16, 16},     {16, 1, 0, 1, 6, 0, 1, 0, 14, 0, 0, 0, 0},
    {24, 2, 0, 1, 2, 0, 0, 25, 25, 25, 25, 25, 25},     {25, 2, 0, 1, 2, 0, 0, 26, 26, 26, 26, 26, 26},
    {26, 2, 0, 1, 4, 0, 0, 27, 27, 27, 27, 27, 27},     {27, 2, 0, 1, 12, 1, 0, 28, 28, 28, 28, 28, 28},
    {28, 2, 0, 1, 6, 0, 0, 0, 0, 0, 0, 0, 0},           {36, 3, 1, 0, 4, 0, 1, 37, 12, 37, 37, 37, 60},
    {37, 3, 1, 0, 4, 0, 1, 38, 12, 38, 38, 38, 60},     {38, 3, 1, 0, 4, 0, 1, 39, 12, 39, 39, 39, 60},
    {39, 3, 0, 0, 2, 1, 1, 40, 40, 40, 40, 40, 40},     {40, 3, 0, 0, 3, 0, 1, 41, 41, 41, 41, 41, 41},
    {41, 3, 0, 0, 6, 0, 1, 42, 42, 42, 42, 42, 42},     {42, 3, 0, 0, 6, 0, 1, 43, 43, 43, 43, 43, 43},
    {43, 3, 0, 0, 8, 0, 1, 0, 0, 0, 0, 0, 0},           {48, 4, 1, 1, 5, 0, 1, 49, 12, 49, 36, 49, 60},
    {49, 4, 1, 1, 5, 0, 1, 50, 12, 50, 36, 50, 60},     {50, 4, 0, 0, 4, 1, 1, 51, 51, 51, 51, 51, 51},
    {51, 4, 1, 0, 4, 0, 1, 52, 12, 52, 36, 52, 60},     {52, 4, 0, 0, 4, 1, 1, 53, 53, 53, 53, 53, 53},
    {53, 4, 1, 0, 4, 0, 1, 54, 12, 54, 36, 54, 60},     {54, 4, 0, 0, 4, 1, 1, 55, 55, 55, 55, 55, 55},
    {55, 4, 0, 0, 4, 0, 1, 56, 56, 56, 56, 56, 56},     {56, 4, 0, 0, 4, 0, 1, 0, 0, 0, 0, 0, 0},
    {60, 5, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 60},          {72, 6, 0, 1, 10, 0, 1, 0, 0, 0, 0, 0, 0}};

bool IsWritten(int node) {
    return std::any_of(std::begin(kNodes), std::end(kNodes), [&](const NodeRow& row) { return row[0] == node; });
}

// Index of the node a link names, or -1 when it names none.
int Target(const MotionGraph& graph, Link link) {
    const MotionNode* node = ResolveLink<MotionNode>(graph, link);
    return node ? static_cast<int>(node - graph.nodes) : -1;
}

std::vector<int> Targets(const MotionGraph& graph, const MotionNode& node) {
    return {Target(graph, node.nextNode),       Target(graph, node.weaponNodes[0]), Target(graph, node.weaponNodes[1]),
            Target(graph, node.weaponNodes[2]), Target(graph, node.weaponNodes[3]), Target(graph, node.guardNode),
            Target(graph, node.hitNode)};
}

class BrakonMotion : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(motion_, nullptr) << "Brakon or its Motion export is missing";
        motion_(graph_.get());
    }
    LoadedModule module_{BrakonPath()};
    MotionExport* motion_ = module_.Export<MotionExport>("Motion");
    std::unique_ptr<MotionGraph> graph_ = FilledRecord<MotionGraph>(0xA5);
};

TEST_F(BrakonMotion, WrittenNodesCarryTheirFlagsFramesAndLinks) {
    for (const NodeRow& row : kNodes) {
        const MotionNode& node = graph_->nodes[row[0]];
        const NodeRow actual = {row[0], node.pose, node.canAct, node.canMove, node.frameCount, node.fires, node.canTurn,
                                Target(*graph_, node.nextNode), Target(*graph_, node.weaponNodes[0]),
                                Target(*graph_, node.weaponNodes[1]), Target(*graph_, node.weaponNodes[2]),
                                Target(*graph_, node.weaponNodes[3]), Target(*graph_, node.guardNode)};
        EXPECT_EQ(actual, row) << "node " << row[0];
    }
}

TEST_F(BrakonMotion, NodesNameTheirChainPlaceBaseAndHitNode) {
    for (const NodeRow& row : kNodes) {
        const int index = row[0];
        const MotionNode& node = graph_->nodes[index];
        EXPECT_EQ(node.motionNumber, index / kNodesPerChain) << "node " << index;
        EXPECT_EQ(node.motionNumber, node.pose) << "node " << index;
        EXPECT_EQ(node.stepNumber, index % kNodesPerChain) << "node " << index;
        EXPECT_EQ(Target(*graph_, node.graphBase), 0) << "node " << index;
        EXPECT_EQ(Target(*graph_, node.hitNode), index == 60 ? 60 : 72) << "node " << index;
    }
}

TEST_F(BrakonMotion, WritesTheTableNodesButNotTheirReservedBytes) {
    const auto written = WrittenBytes<MotionGraph>([&](MotionGraph& graph) { motion_(&graph); });
    std::vector<bool> expected(sizeof(MotionGraph));
    for (const NodeRow& row : kNodes)
        for (std::size_t byte = 0; byte < sizeof(MotionNode); ++byte) {
            const bool reserved = (byte >= 1 && byte <= 3) || (byte >= 9 && byte <= 11) || byte == 18 || byte == 19;
            expected[row[0] * sizeof(MotionNode) + byte] = !reserved;
        }
    const long mismatch = FirstMismatch(written, expected);
    EXPECT_EQ(mismatch, -1) << "node " << mismatch / 60 << " byte " << mismatch % 60;
}

TEST_F(BrakonMotion, LinksStayAmongWrittenNodesAndReachableNodesEndByTime) {
    for (const NodeRow& row : kNodes)
        for (int target : Targets(*graph_, graph_->nodes[row[0]]))
            EXPECT_TRUE(IsWritten(target)) << "node " << row[0] << " links to " << target;

    std::vector<int> pending = {0}, seen = {0};
    while (!pending.empty()) {
        const int index = pending.back();
        pending.pop_back();
        const MotionNode& node = graph_->nodes[index];
        if (node.pose != PoseHit) {
            EXPECT_GE(node.frameCount, 1) << "node " << index << " is never left by time";
        }
        for (int target : Targets(*graph_, node)) {
            if (target < 0 || std::find(seen.begin(), seen.end(), target) != seen.end()) continue;
            seen.push_back(target);
            pending.push_back(target);
        }
    }
    EXPECT_EQ(seen.size(), std::size(kNodes)) << "every written node is reachable from node 0";
}

TEST_F(BrakonMotion, GuardLeadsToGuardNodeOnlyFromGuardableNodes) {
    const std::vector<int> guardable = {0, 36, 37, 38, 48, 49, 51, 53, 60};
    for (const NodeRow& row : kNodes) {
        const MotionNode& node = graph_->nodes[row[0]];
        const bool toGuard = std::find(guardable.begin(), guardable.end(), row[0]) != guardable.end();
        EXPECT_EQ(Target(*graph_, node.guardNode), toGuard ? 60 : Target(*graph_, node.nextNode)) << "node " << row[0];
    }
}

}  // namespace
