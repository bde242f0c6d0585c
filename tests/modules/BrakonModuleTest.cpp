// Brakon as the game meets it: a file loaded by path, its exports found by
// name and called in the loader's order, then unloaded.
#include "ModuleFixture.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

struct PlayerBlocks {
    RobotDescriptor robot;
    MotionGraph graph;
    WeaponDescriptor weapons[4];
    ShotTrackTable tracks[4];
};

constexpr const char* kWeaponExports[4] = {"DoviGTR", "DoviLZR", "DoviCNN", "DoviMSL"};
constexpr struct {
    const char* name;
    std::int32_t plane;
} kPathFillers[8] = {{"MSL_DR", 3}, {"MSL_DL", 5}, {"MSL_DN", 4}, {"MSL_NR", 2},
                     {"MSL_NL", 6}, {"MSL_UR", 1}, {"MSL_UL", 7}, {"MSL_UN", 0}};

// The binding of robot 7, as its loader performs it.
void Bind(const LoadedModule& module, PlayerBlocks& blocks) {
    auto* move = module.Export<MoveExport>("Move");
    auto* motion = module.Export<MotionExport>("Motion");
    ASSERT_TRUE(move && motion);
    move(&blocks.robot, -2);
    motion(&blocks.graph);
    for (int w = 0; w < 4; ++w) {
        auto* weapon = module.Export<WeaponExport>(kWeaponExports[w]);
        ASSERT_NE(weapon, nullptr) << kWeaponExports[w];
        weapon(&blocks.weapons[w], &blocks.tracks[w]);
    }
    for (const auto& filler : kPathFillers) {
        auto* fill = module.Export<PathFillerExport>(filler.name);
        ASSERT_NE(fill, nullptr) << filler.name;
        fill(filler.plane, &blocks.tracks[3]);
    }
}

void ReleaseTexts(PlayerBlocks& blocks) {
    for (WeaponDescriptor& weapon : blocks.weapons) {
        TextRelease(weapon.fireSound);
        TextRelease(weapon.hitSound);
    }
}

std::unique_ptr<PlayerBlocks> ZeroBlocks() { return FilledRecord<PlayerBlocks>(0); }

}  // namespace

TEST(BrakonModule, ExportsExactlyItsNamedFunctions) {
    const std::string command = std::string("nm -D --defined-only ") + BrakonPath();
    std::FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::set<std::string> names;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) {
        char address[64], type[8], name[256];
        if (std::sscanf(line, "%63s %7s %255s", address, type, name) == 3) names.insert(name);
    }
    ASSERT_EQ(pclose(pipe), 0);
    const std::set<std::string> expected = {"Move",   "Motion", "DoviGTR", "DoviLZR", "DoviCNN",
                                            "DoviMSL", "MSL_UN", "MSL_UR", "MSL_NR", "MSL_DR",
                                            "MSL_DN", "MSL_DL", "MSL_NL", "MSL_UL"};
    EXPECT_EQ(names, expected);
}

TEST(BrakonModule, BindingFillsTheSameBytesWhereverTheRecordsLie) {
    LoadedModule module(BrakonPath());
    ASSERT_TRUE(module.Loaded());
    auto first = ZeroBlocks();
    auto second = ZeroBlocks();
    Bind(module, *first);
    Bind(module, *second);

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
    LoadedModule module(BrakonPath());
    auto blocks = ZeroBlocks();
    Bind(module, *blocks);
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
    {
        LoadedModule module(BrakonPath());
        Bind(module, *blocks);
        module.Unload();
        EXPECT_EQ(dlopen(BrakonPath(), RTLD_NOW | RTLD_NOLOAD), nullptr) << "the module is still mapped";
    }
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
    LoadedModule again(BrakonPath());
    Bind(again, *blocks);
    EXPECT_EQ(TextRefCount(oldFire), 0);
    EXPECT_EQ(TextLiveCount(), live);
    ReleaseTexts(*blocks);
}
