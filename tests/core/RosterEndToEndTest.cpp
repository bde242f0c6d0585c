// The whole roster through the real loader and modules: every pairing fought,
// both computer ladders to the end, and a survival run that unlocks the locked robot.
#include "GameFixture.h"
#include "RobotTable.h"
#include "ScriptedPlayer.h"

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

class Roster : public GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        system.clockSeconds = 7;  // the seed of every draw: the run repeats
        StartGame();
    }
    int OwnWeapons(int p) const { return form->shotSlots[p * 4 + 3][0][0].weapon == &form->DummyWeapon ? 3 : 4; }
    bool InBout() const { return form->GameStage >= StageIntro && form->GameStage <= StageFightEnd; }

    // A player at the controls: mostly at the other robot, now and then
    // wandering; the four weapon buttons tapped in turn, sometimes a guard or a dash.
    void Script(int p, int frame, std::minstd_rand& rng) {
        PlayerRecord& me = P(p);
        const PlayerRecord& other = P(1 - p);
        if (frame % 24 == 0) wander[p] = static_cast<int>(rng() % 14);
        const bool roam = wander[p] < 9;
        me.axisX = roam ? wander[p] % 3 : other.posX > me.posX + 100 ? 1 : other.posX < me.posX - 100 ? 2 : 0;
        me.axisY = roam ? wander[p] / 3 : other.posY < me.posY - 10 ? 1 : other.posY > me.posY + 10 ? 2 : 0;
        const int weapon = (frame / 48 + p) % 4 + 1;
        me.buttonCode = frame % 8 == 0 ? weapon : frame % 97 > 92 ? ButtonGuard : frame % 61 > 56 ? ButtonDash : 0;
    }
    // A live shot flies on a phase of its own weapon's table; the default
    // weapon's shots only ever on the first phase of its block.
    bool OnOwnTrack(int p, int w, const ShotPhase* phase) const {
        if (w >= OwnWeapons(p)) return phase == &form->dummyTrack.tracks[0][0].phases[0];
        const auto base = reinterpret_cast<std::uintptr_t>(&form->tracks[p][w]);
        const auto at = reinterpret_cast<std::uintptr_t>(phase);
        return at >= base && at < base + sizeof(ShotTrackTable) && (at - base) % sizeof(ShotPhase) == 0;
    }
    // The first broken rule of this frame, or nothing; marks the weapons in flight.
    std::string Fault(std::int32_t (&hitPoints)[2], bool* const (&launched)[2]) {
        if (video->application.Closed() || !system.boxes.empty()) return "the game closed or showed a box";
        if (!InBout()) return "";  // handed over to the selection, which resets the players
        for (int p = 0; p < 2; ++p) {
            if (P(p).posX <= 0 || P(p).posX >= 800 || P(p).posY <= 0 || P(p).posY >= 600)
                return "player " + std::to_string(p + 1) + " left the field";
            if (P(p).hitPoints > hitPoints[p]) return "player " + std::to_string(p + 1) + "'s hit points rose";
            hitPoints[p] = P(p).hitPoints;
            for (int w = 0; w < 4; ++w)
                for (const auto& row : form->shotSlots[p * 4 + w])
                    for (const ShotRecord& shot : row) {
                        if (!shot.live) continue;
                        if (!OnOwnTrack(p, w, shot.phase))
                            return "a shot off its tracks, slot " + std::to_string(p * 4 + w);
                        launched[p][w] = true;
                    }
        }
        return "";
    }

    // The game's own loop with player 1 holding `key` until `done` (at most `cap` frames).
    template <class Done>
    bool HoldUntil(std::uint8_t key, Done done, int cap = 300) {
        video->keyboard.SetKey(key, true);
        for (int frame = 0; frame < cap && !done() && !video->application.Closed(); ++frame) form->AppIdle();
        video->keyboard.SetKey(key, false);
        return done();
    }
    // The loop until `done`, player 1 winning each bout as soon as the fight proper begins.
    template <class Done>
    bool WinUntil(Done done, int cap) {
        for (int frame = 0; frame < cap && !done() && !video->application.Closed(); ++frame) {
            if (form->GameStage == StageFight && form->KnockOutState == 0) P(1).hitPoints = -1;
            form->AppIdle();
        }
        return done();
    }
    bool Stage(std::int32_t stage) const { return form->GameStage == stage; }

    int wander[2] = {};
};

constexpr std::uint8_t kDown = kPlayer1Keys.down, kDecide = kPlayer1Keys.weapons[0];

}  // namespace

TEST_F(Roster, EveryPairingFightsInsideTheFieldOnItsOwnTracksAndFiresEveryWeapon) {
    constexpr int kBoutFrames = 75 + 600;
    bool fired[2][kRobotCount][4] = {};
    int weapons[kRobotCount] = {};
    for (int a = 1; a <= kRobotCount; ++a)
        for (int b = 1; b <= kRobotCount; ++b) {
            EnterBout(ModeTwoPlayers, a, b);
            weapons[b - 1] = OwnWeapons(1);
            std::minstd_rand rng(static_cast<unsigned>(a * 100 + b));
            std::int32_t hitPoints[2] = {P(0).hitPoints, P(1).hitPoints};
            bool* const launched[2] = {fired[0][a - 1], fired[1][b - 1]};
            for (int frame = 0; frame < kBoutFrames && InBout(); ++frame) {
                for (int p = 0; p < 2; ++p) Script(p, frame, rng);
                form->Follow(form->FightStage());
                ASSERT_EQ(Fault(hitPoints, launched), "") << "robot " << a << " against " << b << ", frame " << frame;
            }
        }
    for (int p = 0; p < 2; ++p)
        for (int robot = 1; robot <= kRobotCount; ++robot)
            for (int w = 0; w < weapons[robot - 1]; ++w)
                EXPECT_TRUE(fired[p][robot - 1][w]) << "robot " << robot << " weapon " << w + 1 << " player " << p + 1;
}

TEST_F(Roster, EachLadderMeetsItsSixOpponentsInOrderAndEndsOnTheStartScreen) {
    // Player 1's robot picks the route; after one ladder the next starts from its first step.
    for (const auto& [robotNumber, route] : {std::pair(2, 0), std::pair(9, 1)}) {
        const int robot = robotNumber;  // a lambda below captures it
        SCOPED_TRACE("robot " + std::to_string(robot));
        ASSERT_TRUE(HoldUntil(kDecide, [&] { return Stage(StageSelect); }));
        ASSERT_TRUE(HoldUntil(kDown, [&] { return form->p1RobotNumber == robot; }));
        system.moduleLoads.clear();
        ASSERT_TRUE(HoldUntil(kDecide, [&] { return Stage(StageVersus); }));
        ASSERT_EQ(form->GameMode, ModeOnePlayer);
        std::vector<std::int32_t> met;
        for (int bout = 0; bout < kLadderSteps; ++bout) {
            ASSERT_TRUE(WinUntil([&] { return Stage(StageIntro); }, 300));
            met.push_back(form->p2RobotNumber);
            // After player 1's module the opponent's, bound with all its sounds.
            EXPECT_EQ(system.moduleLoads.at(1), kRobotTable[form->p2RobotNumber - 1].module);
            for (platform::SoundBuffer* buffer : devices.sound.WeaponSoundBuffers[1]) EXPECT_NE(buffer, nullptr);
            system.moduleLoads.clear();
            ASSERT_TRUE(WinUntil([&] { return !InBout(); }, 400));
        }
        EXPECT_EQ(met, std::vector<std::int32_t>(kCpuLadder[route], kCpuLadder[route] + kLadderSteps));
        EXPECT_EQ(std::tuple(form->GameStage, form->ladderStep), std::tuple(StageModeMenu, 0));
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{});
        ASSERT_FALSE(video->application.Closed());
    }
}

TEST_F(Roster, TenSurvivalWinsEndedWithF1EnterTheScoreFileAndUnlockTheLockedRobot) {
    const std::int32_t locked = kLockedRobot, lastOpen = kLastOpenRobot;
    ASSERT_TRUE(HoldUntil(kDown, [&] { return form->GameMode == ModeSurvival; }));
    ASSERT_TRUE(HoldUntil(kDecide, [&] { return Stage(StageSelect); }));
    EXPECT_FALSE(HoldUntil(kDown, [&] { return form->p1RobotNumber == locked; }, 15 * kRobotCount))
        << "locked before the run";
    ASSERT_EQ(form->p1RobotNumber, lastOpen);
    ASSERT_TRUE(HoldUntil(kDecide, [&] { return Stage(StageVersus); }));
    ASSERT_TRUE(WinUntil([&] { return Stage(StageVersus) && form->survivalKills == 10; }, 10 * 600));
    form->FormKeyDown(platform::VkF1);
    ASSERT_EQ(form->GameStage, StageResult);
    ASSERT_TRUE(WinUntil([&] { return Stage(StageModeMenu); }, 700)) << "the result table, then the start screen";

    const std::vector<std::uint8_t>& file = files.files[system.currentDirectory + "/score.drr"];
    std::int32_t best[2] = {};
    ASSERT_GE(file.size(), sizeof best);
    std::memcpy(best, file.data(), sizeof best);
    EXPECT_EQ(std::tuple(best[0], best[1]), std::tuple(10, lastOpen)) << "ten kills with the last open robot";
    ASSERT_TRUE(HoldUntil(kDecide, [&] { return Stage(StageSelect); }));
    ASSERT_TRUE(HoldUntil(kDown, [&] { return form->p1RobotNumber == locked; })) << "unlocked by the run";
    system.moduleLoads.clear();
    ASSERT_TRUE(HoldUntil(kDecide, [&] { return Stage(StageVersus); }));
    EXPECT_EQ(system.moduleLoads.at(0), kRobotTable[locked - 1].module) << "the unlocked robot bound for player 1";
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{});
    EXPECT_FALSE(video->application.Closed());
}
