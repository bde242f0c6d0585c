// The loader through a seam of fake modules: which exports it calls, with
// what, in what order; then the installation of what they filled.
#include "DeviceFakes.h"
#include "GameFixture.h"
#include "Screens.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <stdexcept>
#include <tuple>

namespace {

std::vector<std::string> calls;  // what the fake exports were called with
TForm1* bound = nullptr;

std::string Who(const void* block) {
    for (int p = 0; p < 2; ++p) {
        if (block == &bound->robotDescs[p]) return "D" + std::to_string(p + 1);
        if (block == &bound->motionGraphs[p]) return "G" + std::to_string(p + 1);
        for (int w = 0; w < 4; ++w) {
            if (block == &bound->weapons[p][w]) return "W" + std::to_string(w + 1);
            if (block == &bound->tracks[p][w]) return "T" + std::to_string(w + 1);
        }
    }
    return "?";
}

// Each fake export is a function of its own, so it knows its name.
template <int N>
struct Fake {
    static inline std::string name;
    static void Move(RobotDescriptor* d, std::int32_t bias) {
        calls.push_back(name + " " + Who(d) + " " + std::to_string(bias));
        d->maxHitPoints = 500;
    }
    static void Zero(RobotDescriptor* d, std::int32_t) { d->maxHitPoints = d->gaugeMax = 0; }
    // Called through the export's own type, as a sanitizer checks.
    static void Body(RobotDescriptor* d) { calls.push_back(name + " " + Who(d)); }
    static void Graph(MotionGraph* g) { calls.push_back(name + " " + Who(g)); }
    static void Weapon(WeaponDescriptor* w, ShotTrackTable* t) {
        calls.push_back(name + " " + Who(w) + " " + Who(t));
        TextAssign(&w->fireSound, TextCreateConstant("ATTACK1"));
    }
    static void Filler(std::int32_t plane, ShotTrackTable* t) {
        calls.push_back(name + " " + std::to_string(plane) + " " + Who(t));
    }
    static void Throw(WeaponDescriptor*, ShotTrackTable*) { throw std::runtime_error("broken"); }
};

class FakeModules : public RecordingSystem {
public:
    std::map<std::string, std::map<std::string, void*>> modules;
    int loaded = 0;

    platform::Module* LoadModule(const std::string& name) override {
        calls.push_back("load " + name);
        auto it = modules.find(name);
        if (it == modules.end()) return nullptr;
        ++loaded;
        return reinterpret_cast<platform::Module*>(&it->second);
    }
    void* FindFunction(platform::Module* module, const char* name) override {
        auto& exports = *reinterpret_cast<std::map<std::string, void*>*>(module);
        auto it = exports.find(name);
        return it == exports.end() ? nullptr : it->second;
    }
    void UnloadModule(platform::Module* module) override {
        --loaded;
        for (auto& [name, exports] : modules)
            if (reinterpret_cast<platform::Module*>(&exports) == module) calls.push_back("unload " + name);
    }
};

template <int N, typename Function>
void* Export(const std::string& name, Function function) {
    Fake<N>::name = name;
    return reinterpret_cast<void*>(function);
}

class Binding : public GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        calls.clear();
        bound = form.get();
        devices.services.system = &fakes;
        form->MakeDefaultWeapon();
        auto& brakon = fakes.modules["Brakon"];
        brakon["Move"] = Export<0>("Move", &Fake<0>::Move);
        brakon["Motion"] = Export<1>("Motion", &Fake<1>::Graph);
        brakon["DoviGTR"] = Export<2>("DoviGTR", &Fake<2>::Weapon);
        brakon["DoviLZR"] = Export<3>("DoviLZR", &Fake<3>::Weapon);
        brakon["DoviCNN"] = Export<4>("DoviCNN", &Fake<4>::Weapon);
        brakon["DoviMSL"] = Export<5>("DoviMSL", &Fake<5>::Weapon);
        brakon["MSL_DR"] = Export<6>("MSL_DR", &Fake<6>::Filler);
        brakon["MSL_DL"] = Export<7>("MSL_DL", &Fake<7>::Filler);
        brakon["MSL_DN"] = Export<8>("MSL_DN", &Fake<8>::Filler);
        brakon["MSL_NR"] = Export<9>("MSL_NR", &Fake<9>::Filler);
        brakon["MSL_NL"] = Export<10>("MSL_NL", &Fake<10>::Filler);
        brakon["MSL_UR"] = Export<11>("MSL_UR", &Fake<11>::Filler);
        brakon["MSL_UL"] = Export<12>("MSL_UL", &Fake<12>::Filler);
        brakon["MSL_UN"] = Export<13>("MSL_UN", &Fake<13>::Filler);
        auto& umbrel = fakes.modules["Umbrel"];
        umbrel["Move"] = brakon["Move"];
        umbrel["Motion"] = brakon["Motion"];
        umbrel["VidiruVRFL"] = Export<14>("VidiruVRFL", &Fake<14>::Weapon);
        auto& quillet = fakes.modules["Quillet"];
        // Robot 1's own exports, which robot 5 must never call.
        quillet["VidiruMove"] = Export<20>("VidiruMove", &Fake<20>::Body);
        quillet["VidiruMotion"] = Export<21>("VidiruMotion", &Fake<21>::Graph);
        quillet["VidiruMGN"] = Export<22>("VidiruMGN", &Fake<22>::Weapon);
        quillet["VidiruSTK"] = Export<15>("VidiruSTK", &Fake<15>::Weapon);
        quillet["VidiruMSL"] = Export<16>("VidiruMSL", &Fake<16>::Weapon);
        for (const char* filler : {"MSL_DR", "MSL_DL", "MSL_DN", "MSL_NR", "MSL_NL", "MSL_UR", "MSL_UL", "MSL_UN"})
            quillet[filler] = brakon[filler];
    }

    FakeModules fakes;
};

}  // namespace

TEST_F(Binding, RobotSevenCallsEveryExportInOrderWithItsPlayersBlocks) {
    form->DoviIn2();
    EXPECT_EQ(calls, (std::vector<std::string>{
                         "load Brakon", "Move D2 -2", "Motion G2", "DoviGTR W1 T1", "DoviLZR W2 T2", "DoviCNN W3 T3",
                         "DoviMSL W4 T4", "MSL_DR 3 T4", "MSL_DL 5 T4", "MSL_DN 4 T4", "MSL_NR 2 T4", "MSL_NL 6 T4",
                         "MSL_UR 1 T4", "MSL_UL 7 T4", "MSL_UN 0 T4", "unload Brakon"}));
    EXPECT_EQ(form->players[1].robot->maxHitPoints, 500);
}

TEST_F(Binding, RobotFiveTakesItsLaterWeaponsFromASecondModule) {
    form->Vidiru2In1();
    EXPECT_EQ(calls, (std::vector<std::string>{"load Umbrel", "Move D1 0", "Motion G1", "VidiruVRFL W1 T1",
                                               "unload Umbrel", "load Quillet", "VidiruSTK W2 T2", "VidiruMSL W3 T3",
                                               "MSL_DR 3 T3", "MSL_DL 5 T3", "MSL_DN 4 T3", "MSL_NR 2 T3",
                                               "MSL_NL 6 T3", "MSL_UR 1 T3", "MSL_UL 7 T3", "MSL_UN 0 T3",
                                               "unload Quillet"}));
}

TEST_F(Binding, AMissingOrFailingExportEndsTheCallsAndTheModuleIsStillFreed) {
    fakes.modules["Brakon"].erase("DoviCNN");
    form->DoviIn1();
    EXPECT_EQ(calls.back(), "unload Brakon");
    EXPECT_EQ(calls[calls.size() - 2], "DoviLZR W2 T2");

    calls.clear();
    fakes.modules["Brakon"]["DoviGTR"] = reinterpret_cast<void*>(&Fake<2>::Throw);
    form->DoviIn1();
    EXPECT_EQ(calls, (std::vector<std::string>{"load Brakon", "Move D1 -2", "Motion G1", "unload Brakon"}));
    EXPECT_EQ(fakes.loaded, 0);

    // With its first module missing, robot 5 calls nothing at all.
    calls.clear();
    fakes.modules.erase("Umbrel");
    form->Vidiru2In1();
    EXPECT_EQ(calls, std::vector<std::string>{"load Umbrel"});
    EXPECT_EQ(form->players[0].robot, &form->robotDescs[0]) << "the installation runs all the same";
}

TEST_F(Binding, ShotRecordsAreWiredFixedPerPartOrToTheDefaultWeapon) {
    form->TDodarIn1();  // robot 9: all four weapons per part
    for (int w = 0; w < 4; ++w)
        for (int part = 0; part < kMaxParts; ++part)
            EXPECT_EQ(form->shotSlots[w][7][part].phase, &form->tracks[0][w].planes[0][part].phases[0]);

    form->VidiruIn2();  // robot 1: three fixed weapons, the default fourth
    for (int row = 0; row < kShotRows; ++row)
        for (int part = 0; part < kMaxParts; ++part) {
            const ShotRecord& shot = form->shotSlots[7][row][part];
            if (row >= kUsedShotRows) {
                EXPECT_EQ(shot.weapon, nullptr) << "rows 8 and 9 are never wired";
                continue;
            }
            EXPECT_EQ(shot.weapon, &form->DummyWeapon);
            EXPECT_EQ(shot.phase, &form->dummyTrack.tracks[0][0].phases[0]);
            EXPECT_EQ(form->shotSlots[4][row][part].phase, &form->tracks[1][0].planes[0][0].phases[0]);
        }
}

TEST_F(Binding, FireSoundsAreMadeInOrderUntilTheFirstFailure) {
    form->StartDS();
    form->DoviIn1();
    for (int k = 0; k < 4; ++k) EXPECT_NE(devices.sound.WeaponSoundBuffers[0][k], nullptr);
    EXPECT_TRUE(fakes.boxes.empty());

    // Robot 4 with no module: empty names, a report for every buffer's turn.
    form->DFIN2();
    EXPECT_EQ(fakes.Texts(), (std::vector<std::string>{"WaveFormatデータの読み込み失敗1", "セカンダリ設定失敗D1",
                                                        "セカンダリ設定失敗D2", "セカンダリ設定失敗D3",
                                                        "セカンダリ設定失敗D4", "セカンダリ設定失敗"}));
    EXPECT_FALSE(devices.sound.dsound);
    EXPECT_EQ(devices.sound.WeaponSoundBuffers[0][0], nullptr) << "every sound object went with the device";

    // From then on there is no device: bindings ask for no buffers and say nothing.
    fakes.boxes.clear();
    form->DoviIn1();
    form->DFIN1();
    EXPECT_TRUE(fakes.boxes.empty());
}

TEST_F(Binding, AFailureAtTheSecondBufferReportsOnce) {
    form->StartDS();
    sound.Refuse(platform::SoundStep::CreateBuffer, 1);  // buffer 1 made, buffer 2 refused
    form->DoviIn1();
    EXPECT_EQ(fakes.Texts(), std::vector<std::string>{"セカンダリ設定失敗"});
}

// A four-weapon module that does not bind leaves weapon 4 no fire sound; the
// sound device goes with it, and the close names the module, not the jingle.
TEST_F(Binding, AFourWeaponModuleThatCannotBeBoundIsNamedWhenTheGameCloses) {
    devices.services.system = &system;
    StartGame();
    devices.services.system = &fakes;
    fakes.modules["Brakon"].erase("DoviMSL");
    form->GameMode = ModeTwoPlayers;
    form->p1RobotNumber = 7;  // no missile export
    form->p2RobotNumber = 3;  // no module at all, later
    form->GameStage = StageVersus;
    form->ToBefore();
    EXPECT_TRUE(video->application.Closed());
    EXPECT_EQ(FinishRunSays(),
              "Torvane: robot module: Brakon.so could not be bound (it is looked up in the program's folder, then in "
              "the current folder)\n");
}

TEST_F(GameFixture, TheRealModulesBindThroughTheRealLoader) {
    form->MakeDefaultWeapon();
    form->DoviIn1();
    form->DFIN2();
    EXPECT_EQ(form->robotDescs[0].maxHitPoints, 700);
    EXPECT_STREQ(TextChars(form->weapons[0][3].fireSound), "ATTACK5");
    EXPECT_STREQ(TextChars(form->weapons[1][0].fireSound), "ACID");
    EXPECT_EQ(form->shotSlots[6][0][2].phase, &form->tracks[1][2].planes[0][2].phases[0]);
    EXPECT_EQ(system.moduleLoads, (std::vector<std::string>{"Brakon", "Saltrim"}));
}

// The fight screen catches a robot whose module filled nothing; a module that
// is missing leaves the robot it had.
TEST_F(GameFixture, AnEmptyRobotDefinitionSendsTheFightBackToTheStartScreen) {
    StartGame();
    form->DoviIn1();
    FakeModules fakes;
    bound = form.get();
    devices.services.system = &fakes;
    form->DoviIn1();  // no module now: Brakon's records stay
    auto& brakon = fakes.modules["Brakon"];
    brakon["Move"] = Export<17>("Move", &Fake<17>::Zero);
    brakon["Motion"] = Export<18>("Motion", &Fake<18>::Graph);
    for (const char* weapon : {"DoviGTR", "DoviLZR", "DoviCNN", "DoviMSL"})
        brakon[weapon] = Export<19>(weapon, &Fake<19>::Weapon);
    form->DoviIn2();
    devices.services.system = &system;
    ASSERT_EQ(form->robotDescs[0].maxHitPoints, 700);
    EXPECT_TRUE(fakes.boxes.empty());
    ASSERT_EQ(form->robotDescs[1].maxHitPoints, 0);

    form->GameStage = StageFight;
    form->players[1].hitPoints = 0;
    MakeScreen();
    form->AnswerDrawer(Draw_FS(View(), *canvas));
    EXPECT_EQ(BoxTexts(), std::vector<std::string>(2, "DLL読み込みに支障が見られました。もう一度スタート画面に戻ります。"))
        << "player 2's hit points and gauge";
    const platform::Color gauge = video->display.Pixel(379, 40);
    EXPECT_EQ(std::tuple(gauge.r, gauge.g, gauge.b), std::tuple(0, 255, 0)) << "player 1's own bars still drawn";
    EXPECT_EQ(form->GameStage, StageModeMenu);
    EXPECT_FALSE(video->application.Closed());
    form->AppIdle();
    EXPECT_EQ(form->GameStage, StageModeMenu);
    EXPECT_EQ(Texts().front(), "This is Vorntak_proto3.0.") << "the next frame is the start screen";

    // Both empty: every check reports and returns to the start screen.
    devices.services.system = &fakes;
    form->DoviIn1();
    form->DoviIn2();
    devices.services.system = &system;
    system.boxes.clear();
    form->GameStage = StageFight;
    form->players[0].hitPoints = form->players[1].hitPoints = 0;
    MakeScreen();
    const auto titleLoads = [&] { return std::count(music.Calls().begin(), music.Calls().end(), "LoadSegment Start.mid"); };
    const auto before = titleLoads();
    form->AnswerDrawer(Draw_FS(View(), *canvas));
    EXPECT_EQ(BoxTexts().size(), 4u);
    EXPECT_EQ(titleLoads() - before, 4) << "the title tune, once for each return";
    EXPECT_EQ(form->GameStage, StageModeMenu);
}

// Every robot through the real loader gets a body, speeds and a graph of its own.
TEST_F(GameFixture, EveryRobotBindsABodyOfItsOwn) {
    form->MakeDefaultWeapon();
    std::set<std::vector<std::int32_t>> bodies;
    for (int robot = 1; robot <= kRobotCount; ++robot) {
        BindRobot(*form, 0, robot);
        const RobotDescriptor& body = form->robotDescs[0];
        EXPECT_TRUE(body.maxHitPoints > 0 && body.gaugeMax > 0) << robot;
        EXPECT_EQ(form->players[0].motionNode->frameCount, 1) << "robot " << robot << ": its neutral node was written";
        EXPECT_EQ(std::memcmp(&form->players[0].moveTable, &body.normalSpeeds, sizeof(SpeedTable)), 0);
        const std::int32_t* words = &body.maxHitPoints;
        // The header but the reserved words, and the speeds of the row that holds the decay period.
        std::vector<std::int32_t> own(words, words + 2);
        own.insert(own.end(), words + 6, words + (offsetof(RobotDescriptor, normalSpeeds) + sizeof(SpeedRow)) / 4);
        EXPECT_TRUE(bodies.insert(own).second) << "robot " << robot << " bound another robot's body";
    }
}

TEST_F(GameFixture, RobotFiveTakesUmbrelsBodyGraphAndRifleAndOnlyQuilletsStickAndMissiles) {
    form->MakeDefaultWeapon();
    form->Vidiru2In1();
    EXPECT_EQ(system.moduleLoads, (std::vector<std::string>{"Umbrel", "Quillet"}));
    const RobotDescriptor& body = form->robotDescs[0];
    EXPECT_GT(body.normalSpeeds.rows[0].decelPeriod, 0);
    EXPECT_EQ(body.normalSpeeds.rows[7].decelPeriod, 0) << "Move, not robot 1's VidiruMove, which writes every row";
    const MotionGraph& graph = form->motionGraphs[0];
    EXPECT_EQ(graph.nodes[13].weaponNodes[0], MakeLink(graph, graph.nodes[14]))
        << "Umbrel's graph passes through node 14 where robot 1's stays in node 13";
    EXPECT_STREQ(TextChars(form->weapons[0][0].fireSound), "ATTACK1") << "the rifle, not robot 1's machine gun";
    EXPECT_EQ(form->weapons[0][1].shotsPerVolley, 1);
    EXPECT_EQ(form->weapons[0][2].shotsPerVolley, 1);
}

TEST_F(GameFixture, FourWeaponRobotsBindOnAFreshRunWithTheirOwnFireSounds) {
    StartGame();
    for (int robot : {3, 8, 9}) {
        BindRobot(*form, robot % 2, robot);
        EXPECT_NE(TextLength(form->weapons[robot % 2][3].fireSound), 0) << robot;
    }
    EXPECT_TRUE(devices.sound.dsound);
    EXPECT_TRUE(BoxTexts().empty());
}
