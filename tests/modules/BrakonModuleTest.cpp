// Brakon as the game meets it: a file loaded by path, its exports found by
// name and called in the loader's order, then unloaded.
#include "ModuleContract.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

using PlayerBlocks = BoundRobot;

constexpr const char* kWeaponExports[4] = {"DoviGTR", "DoviLZR", "DoviCNN", "DoviMSL"};

// The binding of robot 7, as its loader performs it.
void Bind(PlayerBlocks& blocks) { ASSERT_TRUE(BindRow(kRobotTable[6], blocks)); }

void ReleaseTexts(PlayerBlocks& blocks) {
    for (WeaponDescriptor& weapon : blocks.weapons) {
        TextRelease(weapon.fireSound);
        TextRelease(weapon.hitSound);
    }
}

std::unique_ptr<PlayerBlocks> ZeroBlocks() { return FilledRecord<PlayerBlocks>(0); }

}  // namespace

TEST(BrakonModule, BindingFillsTheSameBytesWhereverTheRecordsLie) {
    auto first = ZeroBlocks();
    auto second = ZeroBlocks();
    Bind(*first);
    Bind(*second);

    EXPECT_EQ(std::memcmp(&first->robot, &second->robot, sizeof(RobotDescriptor)), 0);
    EXPECT_EQ(std::memcmp(&first->graph, &second->graph, sizeof(MotionGraph)), 0);
    EXPECT_EQ(std::memcmp(first->tracks, second->tracks, sizeof first->tracks), 0);
    for (int w = 0; w < 4; ++w) {
        EXPECT_EQ(std::memcmp(&first->weapons[w], &second->weapons[w], offsetof(WeaponDescriptor, fireSound)), 0);
        EXPECT_STREQ(TextChars(first->weapons[w].fireSound), TextChars(second->weapons[w].fireSound));
    }
    ReleaseTexts(*first);
    ReleaseTexts(*second);
}

TEST(BrakonModule, EveryWeaponPhaseAShotCanReachIsFullyLinked) {
    auto blocks = ZeroBlocks();
    Bind(*blocks);
    for (int w = 0; w < 4; ++w) {
        const ShotTrackTable& table = blocks->tracks[w];
        for (const PhasePlace& at : ReachablePhases(table, {{0, 0, 0}})) {
            const ShotPhase& phase = table.planes[at.plane][at.track].phases[at.phase];
            EXPECT_TRUE(phase.duration >= 1) << kWeaponExports[w] << " phase " << at.phase << " never ends";
            for (int facing = 0; facing < kHeadingCount; ++facing) {
                const ShotPhase* start = ResolveLink<ShotPhase>(table, phase.launchLinks[StoredSlotOf(facing)]);
                ASSERT_NE(start, nullptr);
                EXPECT_EQ(PlaceOf(table, *start), (PhasePlace{facing, at.track, 0})) << kWeaponExports[w];
            }
        }
    }
    ReleaseTexts(*blocks);
}

TEST(BrakonModule, SoundNamesOutliveTheModule) {
    auto blocks = ZeroBlocks();
    Bind(*blocks);
    EXPECT_EQ(dlopen(BrakonPath(), RTLD_NOW | RTLD_NOLOAD), nullptr) << "the module is still mapped";
    const char* fire[4] = {"ATTACK4", "BEAM", "HITTED1", "ATTACK5"};
    const char* hit[4] = {"HITTED4", "HITTED2", "HITTED2", "HITTED2"};
    for (int w = 0; w < 4; ++w) {
        EXPECT_STREQ(TextChars(blocks->weapons[w].fireSound), fire[w]);
        EXPECT_STREQ(TextChars(blocks->weapons[w].hitSound), hit[w]);
        EXPECT_EQ(TextRefCount(blocks->weapons[w].fireSound), 1);
    }

    // A second binding, by a freshly loaded module, frees the texts the first one built.
    const TextHandle oldFire = blocks->weapons[0].fireSound;
    const std::uint32_t live = TextLiveCount();
    Bind(*blocks);
    EXPECT_EQ(TextRefCount(oldFire), 0);
    EXPECT_EQ(TextLiveCount(), live);
    ReleaseTexts(*blocks);
}
