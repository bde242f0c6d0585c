#include "Devices.h"
#include "GameState.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

// A form of its own with device objects that no test here uses.
std::unique_ptr<TForm1> NewForm() {
    static Devices devices{};
    return std::unique_ptr<TForm1>(new TForm1(devices));
}

}  // namespace

TEST(GameState, StartsZeroFilledWithEmptySoundNames) {
    auto form = NewForm();
    EXPECT_EQ(form->GameStage, 0);
    EXPECT_EQ(form->MusicSource, MusicMidi);
    EXPECT_EQ(form->players[0].robot, nullptr);
    EXPECT_EQ(form->robotDescs[1].maxHitPoints, 0);
    for (auto& player : form->weapons)
        for (WeaponDescriptor& weapon : player) {
            EXPECT_STREQ(TextChars(weapon.fireSound), "");
            EXPECT_STREQ(TextChars(weapon.hitSound), "");
        }
}

TEST(GameState, DestroyingTheFormReleasesItsSoundNames) {
    const std::uint32_t before = TextLiveCount();
    {
        auto form = NewForm();
        for (auto& player : form->weapons)
            for (WeaponDescriptor& weapon : player) {
                weapon.fireSound = TextCreate("ATTACK1");
                weapon.hitSound = TextCreate("HITTED1");
            }
        EXPECT_EQ(TextLiveCount(), before + 16);
    }
    EXPECT_EQ(TextLiveCount(), before);
}

TEST(GameState, PlayerResetClearsSpeedsButKeepsDecelerationPeriods) {
    auto form = NewForm();
    PlayerRecord& player = form->players[0];
    std::memset(static_cast<void*>(&player), 0x11, sizeof(player));
    for (int row = 0; row < kHeadingCount; ++row) player.moveTable.rows[row].decelPeriod = 40 + row;

    ResetPlayerRecord(player);

    EXPECT_EQ(player.hitPoints, 2);
    EXPECT_EQ(player.gauge, 2);
    EXPECT_EQ(player.posX, 100);
    EXPECT_EQ(player.posY, 100);
    for (int w = 0; w < 4; ++w) EXPECT_EQ(player.ammo[w], 1);
    EXPECT_EQ(player.motionNode, nullptr);
    EXPECT_EQ(player.robot, nullptr);
    EXPECT_EQ(player.actionState, 0);
    EXPECT_EQ(player.speed[3], 0);
    for (int row = 0; row < kHeadingCount; ++row) {
        EXPECT_EQ(player.moveTable.rows[row].decelPeriod, 40 + row);
        EXPECT_EQ(player.dashTable.rows[row].decelPeriod, 0x11111111);
        for (const auto& group : player.moveTable.rows[row].speeds)
            for (const SpeedPair& step : group) EXPECT_TRUE(step.x == 0 && step.y == 0);
    }
}

TEST(GameState, ShotResetClearsPointersAndKeepsTheTrail) {
    auto form = NewForm();
    ShotRecord& shot = form->shotSlots[7][7][9];
    shot = {.x = 5, .y = 6, .heading = 3, .live = 1, .canHit = 1, .visible = 1, .phaseFrame = 9,
            .weapon = &form->DummyWeapon, .phase = &form->dummyTrack.tracks[0][0].phases[0],
            .trail = {{1, 2}, {3, 4}, {5, 6}}};
    ResetShot(shot);
    EXPECT_EQ(shot.x, 10);
    EXPECT_EQ(shot.y, 10);
    EXPECT_EQ(shot.heading, 0);
    EXPECT_EQ(shot.live + shot.canHit + shot.visible + shot.phaseFrame, 0);
    EXPECT_EQ(shot.weapon, nullptr);
    EXPECT_EQ(shot.phase, nullptr);
    EXPECT_EQ(shot.trail[2].x, 5);
    EXPECT_EQ(shot.trail[0].y, 2);
}

TEST(GameState, RandomGeneratorIsTheLinearCongruentialOne) {
    auto form = NewForm();
    form->SeedRandom(0);
    EXPECT_EQ(form->Random(), 0);
    EXPECT_EQ(form->Random(), 346);
    EXPECT_EQ(form->Random(), 130);

    auto other = NewForm();
    form->SeedRandom(1765000000u);
    other->SeedRandom(1765000000u);
    for (int i = 0; i < 100; ++i) {
        const std::int32_t value = form->Random();
        EXPECT_EQ(value, other->Random());
        EXPECT_TRUE(value >= 0 && value <= 32767);
    }
}

TEST(DefaultWeapon, EveryLinkLeadsBackToItsFirstPhase) {
    auto form = NewForm();
    form->MakeDefaultWeapon();
    const ShotPhase* first = &form->dummyTrack.tracks[0][0].phases[0];

    for (auto& group : form->dummyTrack.tracks)
        for (const ShotTrack& track : group)
            for (int n = 0; n < kPhasesPerTrack; ++n) {
                const ShotPhase& phase = track.phases[n];
                if (n >= 10) {
                    EXPECT_EQ(phase.shotMode + phase.duration + phase.launchLinks[0], 0) << "phase " << n;
                    continue;
                }
                EXPECT_EQ(phase.shotMode, ShotRiding);
                EXPECT_EQ(phase.damage, 12);
                EXPECT_EQ(phase.duration, 1);
                EXPECT_EQ(phase.nextPhase, kNoLink);
                for (Link link : phase.launchLinks) EXPECT_EQ(ResolveLink<ShotPhase>(form->dummyTrack, link), first);
                for (Link link : phase.steerLinks) EXPECT_EQ(ResolveLink<ShotPhase>(form->dummyTrack, link), first);
                // Its hit link names the first phase, which reads as "stay": the same thing there.
                EXPECT_EQ(phase.hitPhase, kNoLink);
            }
}

TEST(DefaultWeapon, DescriptorWritesOnlyItsOwnFields) {
    auto form = NewForm();
    WeaponDescriptor& weapon = form->DummyWeapon;
    std::memset(static_cast<void*>(&weapon), 0x33, sizeof(weapon));
    weapon.fireSound = weapon.hitSound = kEmptyText;

    form->MakeDammyData(weapon);

    EXPECT_EQ(weapon.singleHit, 1);
    EXPECT_EQ(weapon.hideOnHit, 1);
    EXPECT_EQ(weapon.ammunition, 100);
    EXPECT_EQ(weapon.volleys, 1);
    EXPECT_EQ(weapon.shotsPerVolley, 1);
    EXPECT_EQ(weapon.launchOffsets[7][5].x, 0);
    EXPECT_EQ(weapon.launchOffsets[7][6].x, 0x33333333) << "parts 6-9 keep their offsets";
    EXPECT_EQ(weapon.gaugeCost, 0x33333333);
    EXPECT_EQ(weapon.trailCircles, 0x33333333);
}
