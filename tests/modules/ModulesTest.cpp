// Every robot module against what the game relies on: each row of the robot
// table bound as the loader binds it, on records pre-filled with a sentinel.
#include "CompiledResources.h"
#include "ModuleContract.h"
#include "RobotTable.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <map>
#include <span>

namespace {

// The names the loader looks up in each module file, over every robot that
// uses it (Quillet serves robots 1 and 5): what the file must export, and all.
std::map<std::string, std::set<std::string>> LookedUpNames() {
    std::map<std::string, std::set<std::string>> names;
    for (const RobotEntry& robot : std::span(kRobotTable, kRobotCount)) {
        std::string file = robot.module;
        for (const ExportCall& call : robot.calls) {
            if (!call.name) break;
            if (call.kind == CallKind::NextModule)
                file = call.name;
            else if (call.kind == CallKind::Fillers)
                for (const PathFiller& filler : kPathFillers) names[file].insert(filler.name);
            else
                names[file].insert(call.name);
        }
    }
    return names;
}
const std::map<std::string, std::set<std::string>> kExports = LookedUpNames();

std::string ModulePath(const std::string& module) { return std::string(MODULE_DIRECTORY) + "/" + module + ".so"; }

}  // namespace

TEST(ModuleExports, EveryModuleExportsExactlyTheNamesTheLoaderLooksUpInIt) {
    for (const auto& [module, expected] : kExports) {
        std::FILE* pipe = popen(("nm -D --defined-only " + ModulePath(module)).c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::set<std::string> names;
        char line[512], address[64], type[8], name[256];
        while (std::fgets(line, sizeof line, pipe))
            if (std::sscanf(line, "%63s %7s %255s", address, type, name) == 3) names.insert(name);
        EXPECT_EQ(pclose(pipe), 0) << module;
        EXPECT_EQ(names, expected) << module;
    }
}

// The loader's loop says whether every call ran: a row naming an export its
// module lacks stops there, and what the calls before it wrote stands.
TEST(ModuleCalls, ARowNamingAMissingExportStopsThereAndSaysSo) {
    RobotEntry row = kRobotTable[3];
    ASSERT_STREQ(row.calls[3].name, "DFTonfer");
    row.calls[3].name = "DFTonferX";
    auto bound = FilledRecord<BoundRobot>(0);
    EXPECT_FALSE(BindRow(row, *bound));
    EXPECT_GT(bound->robot.maxHitPoints, 0);
    EXPECT_STREQ(TextChars(bound->weapons[0].fireSound), "ACID");
    EXPECT_EQ(bound->weapons[1].shotsPerVolley, 0) << "the missing weapon";
    EXPECT_EQ(bound->weapons[2].shotsPerVolley, 0) << "a call after it";
    for (const WeaponDescriptor& weapon : bound->weapons) {
        TextRelease(weapon.fireSound);
        TextRelease(weapon.hitSound);
    }
}

// A robot bound on blocks filled with 0xA5 and on blocks filled with 0x5A: a
// byte equal in both was written. The sound names start as valid texts, since
// an export releases what the field held.
class ModuleContract : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        for (BoundRobot* blocks : {a_.get(), b_.get()})
            for (WeaponDescriptor& weapon : blocks->weapons) {
                weapon.fireSound = TextCreate("HITTED3");
                weapon.hitSound = TextCreate("HITTED3");
            }
        ASSERT_TRUE(BindRow(robot_, *a_));
        ASSERT_TRUE(BindRow(robot_, *b_));
        for (const ExportCall& call : robot_.calls)
            if (call.kind == CallKind::Weapon) weapons_.insert(call.weapon - 1);
    }
    void TearDown() override {
        for (BoundRobot* blocks : {a_.get(), b_.get()})
            for (const WeaponDescriptor& weapon : blocks->weapons) {
                TextRelease(weapon.fireSound);
                TextRelease(weapon.hitSound);
            }
        EXPECT_EQ(TextLiveCount(), liveTexts_) << "a binding leaked or freed a sound name";
    }
    template <typename Field>
    bool Written(const Field& field) const {
        const std::size_t at = BytesOf(field) - BytesOf(*a_);
        return std::equal(BytesOf(*a_) + at, BytesOf(*a_) + at + sizeof(Field), BytesOf(*b_) + at);
    }
    const RobotEntry& robot_ = kRobotTable[GetParam() - 1];
    const std::uint32_t liveTexts_ = TextLiveCount();
    std::unique_ptr<BoundRobot> a_ = FilledRecord<BoundRobot>(0xA5), b_ = FilledRecord<BoundRobot>(0x5A);
    std::set<int> weapons_;
};

TEST_P(ModuleContract, EveryWrittenLinkNamesAWholeRecordOfItsOwnBlock) {
    const MotionGraph& graph = a_->graph;
    for (const MotionNode& node : graph.nodes)
        for (const Link* link : {&node.nextNode, &node.weaponNodes[0], &node.weaponNodes[1], &node.weaponNodes[2],
                                 &node.weaponNodes[3], &node.guardNode, &node.hitNode, &node.graphBase})
            EXPECT_TRUE(!Written(*link) || ResolveLink<MotionNode>(graph, *link)) << "node " << &node - graph.nodes;
    for (const ShotTrackTable& table : a_->tracks)
        for (const auto& plane : table.planes)
            for (const ShotTrack& track : plane)
                for (const ShotPhase& phase : track.phases) {
                    std::vector<const Link*> links = {&phase.hitPhase, &phase.nextPhase};
                    for (int h = 0; h < kHeadingCount; ++h) links.insert(links.end(), {&phase.steerLinks[h], &phase.launchLinks[h]});
                    for (const Link* link : links)
                        EXPECT_TRUE(!Written(*link) || ResolveLink<ShotPhase>(table, *link))
                            << "weapon " << &table - a_->tracks + 1 << " phase " << MakeLink(table, phase) / sizeof(ShotPhase);
                }
}

TEST_P(ModuleContract, EveryMotionNodeReachableIsWrittenAndAllButTheStunEndByTime) {
    const MotionGraph& graph = a_->graph;
    std::set<long> seen = {0};
    for (std::vector<long> open = {0}; !open.empty();) {
        const MotionNode& node = graph.nodes[open.back()];
        open.pop_back();
        EXPECT_TRUE(Written(node.canAct) && Written(node.canMove) && Written(node.fires) && Written(node.canTurn) &&
                    Written(node.pose) && Written(node.frameCount)) << "node " << &node - graph.nodes;
        EXPECT_TRUE(node.pose == PoseHit || node.frameCount >= 1) << "node " << &node - graph.nodes << " never ends";
        for (Link link : {node.nextNode, node.weaponNodes[0], node.weaponNodes[1], node.weaponNodes[2],
                          node.weaponNodes[3], node.guardNode, node.hitNode}) {
            const MotionNode* next = ResolveLink<MotionNode>(graph, link);
            ASSERT_NE(next, nullptr) << "node " << &node - graph.nodes;
            if (seen.insert(next - graph.nodes).second) open.push_back(next - graph.nodes);
        }
    }

    // A stun wears off into the neutral pose; a hit guard stays in its guard.
    const MotionNode* stun = ResolveLink<MotionNode>(graph, graph.nodes[0].hitNode);
    const MotionNode* guard = ResolveLink<MotionNode>(graph, graph.nodes[0].guardNode);
    ASSERT_TRUE(stun && guard);
    EXPECT_EQ(stun->pose, PoseHit);
    EXPECT_EQ(ResolveLink<MotionNode>(graph, stun->nextNode)->pose, PoseNeutral);
    EXPECT_EQ(guard->hitNode, MakeLink(graph, *guard));
}

TEST_P(ModuleContract, EveryPhaseABoundWeaponReachesRunsOutAndRelaunchesOnItsTrack) {
    for (int w : weapons_) {
        SCOPED_TRACE("weapon " + std::to_string(w + 1));
        EXPECT_TRUE(a_->weapons[w].volleys >= 1 && a_->weapons[w].volleys <= kMaxVolleys);
        EXPECT_TRUE(a_->weapons[w].shotsPerVolley >= 1 && a_->weapons[w].shotsPerVolley <= kMaxParts);
        ExpectWeaponTracks(a_->weapons[w], a_->tracks[w], robot_.perPart[w]);
    }
}

TEST_P(ModuleContract, BindingAgainLeavesTheSameBytesAndSoundNames) {
    auto before = std::make_unique<BoundRobot>(*a_);
    std::vector<std::string> names;
    for (const WeaponDescriptor& weapon : a_->weapons) names.insert(names.end(), {TextChars(weapon.fireSound), TextChars(weapon.hitSound)});
    ASSERT_TRUE(BindRow(robot_, *a_));
    for (int w = 0; w < 4; ++w) {  // the texts are made anew, with the same names
        EXPECT_EQ(TextChars(a_->weapons[w].fireSound), names[2 * w]);
        EXPECT_EQ(TextChars(a_->weapons[w].hitSound), names[2 * w + 1]);
        before->weapons[w].fireSound = a_->weapons[w].fireSound;
        before->weapons[w].hitSound = a_->weapons[w].hitSound;
    }
    EXPECT_EQ(std::memcmp(before.get(), a_.get(), sizeof(BoundRobot)), 0);
}

// The binding has unloaded the modules: the names live in the shared text library.
TEST_P(ModuleContract, SoundNamesOutliveTheModuleAndNameGameSounds) {
    for (int w : weapons_) {
        const std::string fire = TextChars(a_->weapons[w].fireSound), hit = TextChars(a_->weapons[w].hitSound);
        EXPECT_NE(CompiledResources().Find("WAVE", fire.c_str()), nullptr) << fire;
        EXPECT_TRUE(hit.size() == 7 && hit.starts_with("HITTED") && hit[6] >= '1' && hit[6] <= '4') << hit;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryRobot, ModuleContract, ::testing::Range(1, kRobotCount + 1), [](const auto& info) {
    return "Robot" + std::to_string(info.param) + kRobotTable[info.param - 1].module;
});

// Robot 1 writes the decay period in all sixteen rows, a Move robot in rows 0-3
// only; neither touches the reserved words.
TEST(ModuleMove, RowsFourToSevenKeepTheDecayPeriodOfTheRobotBefore) {
    LoadedModule quillet(ModulePath("Quillet").c_str()), wynmar(ModulePath("Wynmar").c_str());
    auto robot = FilledRecord<RobotDescriptor>(0xA5), alone = FilledRecord<RobotDescriptor>(0xA5);
    quillet.Export<VidiruMoveExport>("VidiruMove")(robot.get());
    wynmar.Export<MoveExport>("Move")(alone.get(), 1);
    const std::int32_t earlier = robot->normalSpeeds.rows[0].decelPeriod, own = alone->normalSpeeds.rows[0].decelPeriod;
    ASSERT_NE(earlier, own);
    wynmar.Export<MoveExport>("Move")(robot.get(), 1);
    for (int row = 0; row < kHeadingCount; ++row) {
        EXPECT_EQ(robot->normalSpeeds.rows[row].decelPeriod, row < 4 ? own : earlier) << "row " << row;
        EXPECT_EQ(robot->dashSpeeds.rows[row].decelPeriod, row < 4 ? own : earlier) << "row " << row;
    }
    for (std::int32_t word : robot->reserved) EXPECT_EQ(static_cast<std::uint32_t>(word), 0xA5A5A5A5u);
}

// Two biases give descriptors apart only in speed words that move at bias 0,
// each by the bias difference, and the same words whatever the two biases.
TEST(ModuleMove, BiasesDifferInTheSameMovingSpeedWordsByTheirDifference) {
    using Words = std::array<std::int32_t, sizeof(RobotDescriptor) / 4>;
    for (const auto& [file, names] : kExports) {
        if (!names.count("Move")) continue;
        LoadedModule module(ModulePath(file).c_str());
        auto moved = [&](std::int32_t bias) {
            auto robot = FilledRecord<RobotDescriptor>(0);
            module.Export<MoveExport>("Move")(robot.get(), bias);
            return std::bit_cast<Words>(*robot);
        };
        const Words still = moved(0), low = moved(-2), high = moved(3), one = moved(1);
        for (std::size_t i = 0; i < still.size(); ++i) {
            const bool biased = high[i] != low[i];
            const std::size_t at = i * 4, tables = offsetof(RobotDescriptor, normalSpeeds);
            EXPECT_EQ(one[i] - still[i], biased ? 1 : 0) << file << " word " << i;
            if (!biased) continue;
            EXPECT_EQ(high[i] - low[i], 5) << file << " word " << i;
            EXPECT_TRUE(still[i] != 0 && at >= tables && (at - tables) % sizeof(SpeedRow) < offsetof(SpeedRow, decelPeriod))
                << file << " word " << i << " is no moving speed";
        }
    }
}
