#include "RobotModule.h"

#include <gtest/gtest.h>

#include <memory>

TEST(Links, RoundTripWithinTheirBlock) {
    auto table = std::make_unique<ShotTrackTable>();
    const ShotPhase& target = table->planes[7][9].phases[15];
    const Link link = MakeLink(*table, target);
    EXPECT_EQ(link, 7u * 23680 + 9 * 2368 + 15 * 148);
    EXPECT_EQ(ResolveLink<ShotPhase>(*table, link), &target);

    auto graph = std::make_unique<MotionGraph>();
    EXPECT_EQ(MakeLink(*graph, graph->nodes[72]), 72u * 60);
    EXPECT_EQ(ResolveLink<MotionNode>(*graph, 0), &graph->nodes[0]);
    EXPECT_EQ(ResolveLink<MotionNode>(*graph, 83 * 60), &graph->nodes[83]);
}

TEST(Links, ThatNameNoWholeRecordResolveToNothing) {
    auto graph = std::make_unique<MotionGraph>();
    EXPECT_EQ(ResolveLink<MotionNode>(*graph, 84 * 60), nullptr);   // one past the end
    EXPECT_EQ(ResolveLink<MotionNode>(*graph, 61), nullptr);        // inside a node
    EXPECT_EQ(ResolveLink<MotionNode>(*graph, 0xFFFFFFFFu), nullptr);

    auto table = std::make_unique<ShotTrackTable>();
    EXPECT_EQ(ResolveLink<ShotPhase>(*table, sizeof(ShotTrackTable)), nullptr);
    EXPECT_EQ(ResolveLink<ShotPhase>(*table, 148 * 3 + 4), nullptr);
}

TEST(Links, HeadingsAreStoredInTheirOwnOrder) {
    // Facing up-left takes the third entry, facing right the fourth.
    EXPECT_EQ(StoredSlotOf(UL), 2);
    EXPECT_EQ(StoredSlotOf(NR), 3);
    for (int slot = 0; slot < kHeadingCount; ++slot) EXPECT_EQ(StoredSlotOf(kStoredHeadingOrder[slot]), slot);
}
