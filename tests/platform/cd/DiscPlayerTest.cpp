// The player over a scripted source, mixed by hand: what it plays after a
// seek, through a data track or a bad spot, when the disc goes, and that a
// disc which stops answering holds neither the game nor the next open.
#include "CdAudio.h"
#include "DiscCd.h"
#include "DiscPlayer.h"
#include "LibcdioSource.h"
#include "ScriptedDisc.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

using platform::CdMode;
using platform::DiscPlayer;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kSectorSamples = 2 * DiscPlayer::kSectorFrames;

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// Waits on the disc long enough for any machine: what a seek or an open
// gives back is then the disc's doing, never the scheduler's.
constexpr platform::DiscPatience kPatient{std::chrono::seconds(20), std::chrono::seconds(20)};

class Player : public testing::Test {
protected:
    explicit Player(platform::DiscPatience patience = kPatient) : player(patience) {}
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

// The game's seek patience, and an open's long enough that "at once" is plain
// on any machine, against a disc that stalls until the test lets it go.
constexpr platform::DiscPatience kStalling{.open = std::chrono::seconds(6)};

class StalledPlayer : public Player {
protected:
    StalledPlayer() : Player(kStalling) {}
};

TEST_F(StalledPlayer, ASeekPlaysFromItsSectorDroppingReadsBegunBeforeIt) {
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
    script->cutAt = 200;  // in the run from 197, after a run of track 3's sound
    ASSERT_TRUE(Open(true));
    ASSERT_TRUE(player.Seek(platform::Tmsf(1)) && player.Play());
    const std::vector<int> heard = MixToTheEnd();
    ASSERT_EQ(heard.size(), 270u) << "every sector in its time";
    for (int sector = 0; sector < 270; ++sector) {
        // The failed runs; track 2; what the short read left unfilled, never older sound.
        const bool silent = (sector >= 32 && sector < 64) || (sector >= 75 && sector < 165) || (sector >= 200 && sector < 213);
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
    for (auto start = Clock::now(); script->checks == 0; std::this_thread::yield()) ASSERT_LT(Since(start), 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_LE(script->checks, 20) << "one check for each question, not one after another";
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

TEST_F(Player, ADiscWhoseFirstSoundWillNotReadIsNoDisc) {
    script->failFrom = 0;
    script->failTo = 1;
    ASSERT_TRUE(Open());
    EXPECT_FALSE(player.MediaPresent() || player.Seek(platform::Tmsf(1)) || player.Play());
    EXPECT_EQ(player.Mode(), CdMode::Other);
}

// A stalled read, then a stalled open: each is waited for once, and while it
// still hangs a new open is no disc at once, with no second worker.
TEST_F(StalledPlayer, AStalledDiscHoldsNeitherTheCloseNorTheNextOpenAndCostsOneThread) {
    script->stallFrom = 20;
    script->Close();
    ASSERT_TRUE(Open());
    for (auto start = Clock::now(); script->stalled == 0; std::this_thread::yield()) ASSERT_LT(Since(start), 10);
    player.Close();  // its end waits for nothing
    auto other = std::make_shared<DiscScript>();
    std::atomic<int> opened{0};
    auto openOther = [&](DiscPlayer& into) {
        return into.Open([other, &opened] {
            ++opened;
            return std::make_unique<ScriptedDisc>(other);
        });
    };
    EXPECT_FALSE(openOther(player)) << "the read still hangs";
    auto start = Clock::now();
    EXPECT_FALSE(openOther(player));
    EXPECT_LT(Since(start), 3) << "at once: well within one patience";

    DiscPlayer stalled(kStalling);
    script->stallOpen = true;
    EXPECT_FALSE(stalled.Open([s = script] { return std::make_unique<ScriptedDisc>(s); }))
        << "an open that does not answer is no disc";
    start = Clock::now();
    EXPECT_FALSE(openOther(stalled));
    EXPECT_LT(Since(start), 3) << "at once: well within one patience";
    EXPECT_EQ(std::pair(script->stalled.load(), opened.load()), std::pair(2, 0))
        << "the read and the open still wait, and no other worker began";

    script->Open();  // the disc answers at last: its workers end, and the next opens play
    for (start = Clock::now(); !openOther(player); std::this_thread::yield()) ASSERT_LT(Since(start), 10);
    for (start = Clock::now(); !openOther(stalled); std::this_thread::yield()) ASSERT_LT(Since(start), 10);
    player.Seek(platform::Tmsf(2));  // on the game's patience it may give up on a busy machine: the play goes on
    ASSERT_TRUE(player.Play());
    int heard = 0;
    for (start = Clock::now(); (heard = MixSector()) == 0; std::this_thread::sleep_for(std::chrono::milliseconds(1)))
        ASSERT_LT(Since(start), 10);
    EXPECT_EQ(heard, 75 + 1) << "a fresh worker, playing the disc";
}

// Listing the drives opens each: one stuck behind a drive is no drive, costs
// the game one patience and one thread, and the next walk nothing.
TEST(DriveList, AListThatHangsIsNoDriveAndHoldsNoLaterWalk) {
    auto script = std::make_shared<DiscScript>();
    script->Close();
    auto cd = platform::MakeDiscCdAudio({[script] {
                                            ++script->opens;
                                            script->Wait();
                                            return std::vector<std::string>{"stuck"};
                                        },
                                        {}});
    EXPECT_EQ(cd->TypeOfDrive("B:"), platform::DriveType::NoDrive);
    EXPECT_EQ(cd->TypeOfDrive("B:"), platform::DriveType::NoDrive);
    EXPECT_EQ(std::pair(script->stalled.load(), script->opens.load()), std::pair(1, 1)) << "listed once, still stuck";
    script->Open();
}

// A drive's status answers: not ready (04h), unit attention (28h), no answer
// at all keep the disc; only "no medium" (3Ah) twice in a row is a disc gone.
TEST(DriveStatus, OnlyNoMediumTwiceInARowIsADiscGone) {
    platform::MediumWatch watch;
    for (int sense : {0x04, 0x28, -1, 0x04, 0x28, -1}) EXPECT_TRUE(watch.StillThere(sense)) << sense;
    EXPECT_TRUE(watch.StillThere(0x3A)) << "once: a passing answer";
    EXPECT_TRUE(watch.StillThere(0x04) && watch.StillThere(0x3A)) << "not in a row";
    EXPECT_FALSE(watch.StillThere(0x3A));
}

}  // namespace
