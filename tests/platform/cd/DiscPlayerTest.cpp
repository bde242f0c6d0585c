// The player over a scripted source, mixed by hand: what it plays after a
// seek, through a data track or a bad spot, when the disc goes, and that a
// disc which stops answering holds neither the game nor the next open.
#include "CdAudio.h"
#include "DiscPlayer.h"
#include "ScriptedDisc.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

using platform::CdMode;
using platform::DiscPlayer;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kSectorSamples = 2 * DiscPlayer::kSectorFrames;

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

class Player : public testing::Test {
protected:
    void TearDown() override { script->Open(); }  // a worker stalled at the gate ends

    bool Open(bool dataTrack2 = false) {
        return player.Open([s = script, dataTrack2] { return std::make_unique<ScriptedDisc>(s, dataTrack2); });
    }
    // Mixes one sector's time into silence: the sector it came from, 0 for silence, -1 for a mixed buffer.
    int MixSector() {
        std::vector<std::int16_t> out(kSectorSamples, 0);
        player.MixInto(out.data(), kSectorSamples);
        for (std::int16_t s : out)
            if (s != out[0]) return -1;
        return out[0];
    }
    // Mixes sector after sector, waiting for the worker where it is behind,
    // until the player stops; each sector heard once, in order (0: silence).
    std::vector<int> MixToTheEnd() {
        std::vector<int> heard;
        const auto start = Clock::now();
        for (std::uint32_t last = player.Position(); player.Mode() == CdMode::Playing && Since(start) < 10;) {
            const int sector = MixSector();
            if (player.Position() == last && sector == 0) {
                if (player.Mode() != CdMode::Playing) break;  // the last sector was heard
                std::this_thread::sleep_for(std::chrono::milliseconds(1));  // the worker is behind
                continue;
            }
            last = player.Position();
            heard.push_back(sector);
        }
        EXPECT_LT(Since(start), 10) << "the disc never ended";
        return heard;
    }

    std::shared_ptr<DiscScript> script = std::make_shared<DiscScript>();
    DiscPlayer player;
};

TEST_F(Player, ASeekPlaysFromItsSectorDroppingReadsBegunBeforeIt) {
    script->stallFrom = 20;  // the read-ahead from track 1 stalls in its second run
    script->Close();
    ASSERT_TRUE(Open());
    for (auto start = Clock::now(); script->stalled == 0; std::this_thread::yield()) ASSERT_LT(Since(start), 10);
    const auto start = Clock::now();
    EXPECT_FALSE(player.Seek(platform::Tmsf(3)));
    EXPECT_LT(Since(start), 5) << "a seek waits a few frames, where it once waited 10 s";
    script->stallFrom = 1 << 30;
    script->Open();  // the stalled read of track 1 comes back after the seek
    ASSERT_TRUE(player.Play());
    const std::vector<int> heard = MixToTheEnd();
    ASSERT_FALSE(heard.empty());
    EXPECT_EQ(heard.front(), 195 + 1) << "track 3's first sector, nothing of track 1";
    EXPECT_EQ(heard.size(), 75u);
    EXPECT_EQ(player.Position(), platform::Tmsf(3, 0, 0, 74));
}

TEST_F(Player, ASeekNearTheEndReturnsWithTheLastSectorsBuffered) {
    ASSERT_TRUE(Open());
    ASSERT_TRUE(player.Seek(platform::Tmsf(3, 0, 0, 70)));
    ASSERT_TRUE(player.Play());
    for (int sector = 265; sector < 270; ++sector) EXPECT_EQ(MixSector(), sector + 1) << "buffered before the seek returned";
    EXPECT_EQ(MixSector(), 0);
    EXPECT_EQ(player.Mode(), CdMode::Stopped);
}

TEST_F(Player, ADataTrackAndASpotThatWillNotReadPlayAsSilenceInTheirTime) {
    script->failFrom = 40;
    script->failTo = 50;
    ASSERT_TRUE(Open(true));
    ASSERT_TRUE(player.Seek(platform::Tmsf(1)) && player.Play());
    const std::vector<int> heard = MixToTheEnd();
    ASSERT_EQ(heard.size(), 270u) << "every sector in its time";
    for (int sector = 0; sector < 270; ++sector) {
        const bool silent = (sector >= 32 && sector < 64) || (sector >= 75 && sector < 165);  // the failed run; track 2
        EXPECT_EQ(heard[sector], silent ? 0 : sector + 1) << sector;
    }
    EXPECT_TRUE(player.Present()) << "a bad spot is not a disc gone";
}

TEST_F(Player, TheDiscIsCheckedOnlyAsTheGameAsksWhileItPlaysAndGoneOnlyWhenAbsent) {
    ASSERT_TRUE(Open());
    ASSERT_TRUE(player.Seek(platform::Tmsf(1)));
    for (int i = 0; i < 20; ++i) EXPECT_TRUE(player.MediaPresent());
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(script->checks, 0) << "nothing plays: the disc is not asked";

    ASSERT_TRUE(player.Play());
    for (int i = 0; i < 20; ++i) player.MediaPresent();
    EXPECT_LE(script->checks, 20);
    script->there = false;
    const auto start = Clock::now();
    while (player.MediaPresent()) ASSERT_LT(Since(start), 10);
    EXPECT_EQ(player.Mode(), CdMode::Other);
    EXPECT_EQ(MixSector(), 0) << "a disc gone is silent";
    EXPECT_FALSE(player.Play());
}

TEST_F(Player, ADriveSlowToAnswerItsChecksStillPlaysToTheEnd) {
    script->checkMs = 5;  // the game asks again before each check is answered
    ASSERT_TRUE(Open());
    ASSERT_TRUE(player.Seek(platform::Tmsf(1)) && player.Play());
    const auto start = Clock::now();
    while (player.Mode() == CdMode::Playing) {
        ASSERT_LT(Since(start), 10) << "the checks starved the reads: the ring ran dry";
        player.MediaPresent();
        MixSector();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(player.Mode(), CdMode::Stopped);
}

TEST_F(Player, AStalledDiscHoldsNeitherTheCloseNorTheNextOpen) {
    script->stallFrom = 20;
    script->Close();
    ASSERT_TRUE(Open());
    for (auto start = Clock::now(); script->stalled == 0; std::this_thread::yield()) ASSERT_LT(Since(start), 10);
    auto start = Clock::now();
    player.Close();
    auto other = std::make_shared<DiscScript>();
    ASSERT_TRUE(player.Open([other] { return std::make_unique<ScriptedDisc>(other); }));
    ASSERT_TRUE(player.Seek(platform::Tmsf(2)) && player.Play());
    EXPECT_EQ(MixSector(), 75 + 1) << "a fresh player";
    {
        DiscPlayer stalled;
        script->stallOpen = true;
        EXPECT_FALSE(stalled.Open([s = script] { return std::make_unique<ScriptedDisc>(s); }))
            << "an open that does not answer is no disc";
    }  // its end waits for nothing
    EXPECT_LT(Since(start), 5) << "seconds, where a stalled read once held it for good";
    EXPECT_EQ(script->stalled, 2) << "the read and the open still wait";
}

}  // namespace
