// Saltrim, robot 4, as its loader binds it: Move with bias 1, Motion, then
// three weapons, the third launched part by part on tracks of its own.
#include "ModuleContract.h"

#include <memory>

namespace {

std::unique_ptr<BoundRobot> Bind() {
    auto bound = FilledRecord<BoundRobot>(0);
    EXPECT_TRUE(BindRow(kRobotTable[3], *bound));
    return bound;
}

void Release(BoundRobot& bound) {
    for (WeaponDescriptor& weapon : bound.weapons) {
        TextRelease(weapon.fireSound);
        TextRelease(weapon.hitSound);
    }
}

}  // namespace

TEST(SaltrimModule, KeepsTheContractEveryModuleKeeps) {
    auto bound = Bind();
    ExpectModuleContract(*bound, 3, {false, false, true});
    Release(*bound);
}

TEST(SaltrimModule, SpitsAcidClubsWithItsTonfaAndFansItsRockets) {
    auto bound = Bind();
    EXPECT_STREQ(TextChars(bound->weapons[0].fireSound), "ACID");

    const ShotPhase& club = bound->tracks[1].planes[NR][0].phases[0];
    EXPECT_EQ(club.shotMode, ShotRiding);
    EXPECT_GT(bound->weapons[1].gaugeCost, 0);

    // Each rocket of a volley leaves along its own heading.
    const WeaponDescriptor& bazooka = bound->weapons[2];
    ASSERT_EQ(bazooka.shotsPerVolley, 3);
    std::set<std::pair<int, int>> directions;
    for (int part = 0; part < 3; ++part) {
        const ShotPhase& rocket = bound->tracks[2].planes[NR][part].phases[0];
        directions.insert({rocket.velocityX, rocket.velocityY});
        EXPECT_NE(rocket.hitPhase, kNoLink) << "a rocket bursts where it hits";
    }
    EXPECT_EQ(directions.size(), 3u);
    Release(*bound);
}

TEST(SaltrimModule, ItsFourthChainIsTheNeutralNode) {
    auto bound = Bind();
    EXPECT_EQ(std::memcmp(&bound->graph.nodes[48], &bound->graph.nodes[0], sizeof(MotionNode)), 0);
    Release(*bound);
}
