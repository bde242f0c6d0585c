// The players' CD back end on a generated BIN/CUE image, through SDL's dummy
// audio driver, whose clock runs near real time.
#include "DiscImage.h"
#include "CdAudio.h"
#include "PlayerBackends.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <sys/stat.h>

#include <SDL_mixer.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <limits>

using platform::CdMode;
using platform::Tmsf;
using platform::TmsfTrack;
namespace fs = std::filesystem;

namespace {

// Polls `done` each millisecond for up to `limit` seconds; the seconds it took,
// or, failing the case, infinity.
double Until(const std::function<bool()>& done, double limit) {
    const auto start = std::chrono::steady_clock::now();
    for (double s = 0; !done(); s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count()) {
        if (s > limit) {
            ADD_FAILURE() << "not within " << limit << " s";
            return std::numeric_limits<double>::infinity();
        }
        SDL_Delay(1);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Each question while the disc plays has it checked; a bound only a hang reaches.
constexpr double kNoticed = 10;

// A time the disc's sound takes, through a mixer whose clock never runs ahead:
// no less than `floor`, and reached before a hang's bound.
void ExpectAtLeast(double seconds, double floor) {
    EXPECT_GT(seconds, floor);
    EXPECT_LT(seconds, kNoticed);
}

// The disc's sound in what the mixer gives out, counted by the buffer.
std::atomic<int> buffers{0}, loudBuffers{0};
void Listen(void*, Uint8* stream, int bytes) {
    ++buffers;
    for (int i = 0; i < bytes; ++i)
        if (stream[i]) {
            ++loudBuffers;
            return;
        }
}

int Entries(const char* folder) { return int(std::distance(fs::directory_iterator(folder), fs::directory_iterator())); }

class RealCd : public testing::Test {
protected:
    void SetUp() override { setenv("VORNTAK_CD", cue.c_str(), 1); }

    bool Present() {
        bool present = false;
        return cd->MediaPresent(present) && present;
    }
    CdMode Mode() {
        CdMode mode{};
        EXPECT_TRUE(cd->Mode(mode));
        return mode;
    }
    std::uint32_t Position() {
        std::uint32_t at = 0;
        cd->Position(at);
        return at;
    }
    int Track() { return TmsfTrack(Position()); }
    int IntoTrack() {
        const std::uint32_t at = Position();
        return (platform::TmsfMinutes(at) * 60 + platform::TmsfSeconds(at)) * platform::kCdFramesPerSecond +
               platform::TmsfFrames(at);
    }
    void OpenAndPlay(int track) {
        std::uint32_t start = 0;
        ASSERT_TRUE(cd->Open("B:") && cd->TrackStart(track, start));
        cd->Seek(start);  // its answer may be a busy machine's: the play starts as the sound comes
        ASSERT_TRUE(cd->Play());
    }

    DiscFolder folder;
    std::string cue = WriteDiscImage(folder.path, "disc", kTestDisc);
    fs::path bin = folder.path / "disc.bin";
    std::unique_ptr<platform::CdAudio> cd = platform::MakeLibcdioCdAudio();
};

TEST_F(RealCd, TheImageIsDriveBAndEachTrackStartsAtItsFirstFrame) {
    EXPECT_EQ(cd->TypeOfDrive("B:"), platform::DriveType::CdRom);
    EXPECT_EQ(cd->TypeOfDrive("C:"), platform::DriveType::NoDrive);
    EXPECT_FALSE(cd->Open("C:"));
    ASSERT_TRUE(cd->Open("B:")) << cd->ErrorText();
    std::int32_t count = 0;
    ASSERT_TRUE(Present() && cd->SetTrackTimeFormat() && cd->TrackCount(count));
    EXPECT_EQ(count, 3);
    EXPECT_EQ(Mode(), CdMode::Stopped);
    for (int track = 1; track <= 3; ++track) {
        std::uint32_t start = 0;
        ASSERT_TRUE(cd->TrackStart(track, start));
        cd->Seek(start);
        EXPECT_EQ(std::pair(start, Position()), std::pair(Tmsf(track), Tmsf(track)));
    }
    std::uint32_t start = 0;
    EXPECT_FALSE(cd->TrackStart(4, start) || cd->TrackStart(0, start));
    cd->Seek(Tmsf(2, 0, 1, 5));
    EXPECT_EQ(Position(), Tmsf(2, 0, 1, 5));
    EXPECT_FALSE(cd->Seek(Tmsf(3, 0, 1, 0)) || cd->Seek(Tmsf(4))) << "off the disc";
    setenv("VORNTAK_CD", bin.c_str(), 1);  // the same image by its .bin
    EXPECT_TRUE(cd->TypeOfDrive("B:") == platform::DriveType::CdRom && cd->Open("B:") && cd->TrackCount(count));
    EXPECT_EQ(count, 3);
    setenv("VORNTAK_CD", (folder.path / "elsewhere.cue").c_str(), 1);
    EXPECT_TRUE(cd->TypeOfDrive("B:") == platform::DriveType::CdRom && !cd->Open("B:"));
    EXPECT_NE(cd->ErrorText().find("elsewhere.cue"), std::string::npos) << "the drives listed afresh from B:";
}

// Track 3's pregap counts with it: the track byte turns as track 2's tone ends.
TEST_F(RealCd, TheTrackByteTurnsWhenTheNextTrackBeginsAndTheDiscStopsAtItsEnd) {
    OpenAndPlay(2);
    EXPECT_EQ(std::pair(Mode(), Track()), std::pair(CdMode::Playing, 2));
    ExpectAtLeast(Until([&] { return Track() != 2; }, kNoticed), 1.0);  // 1.2 s of track 2
    EXPECT_EQ(Position(), Tmsf(3)) << "the pregap reads as the track's start";
    ExpectAtLeast(Until([&] { return Mode() != CdMode::Playing; }, kNoticed), 1.2);  // 1.4 s of track 3
    EXPECT_EQ(Mode(), CdMode::Stopped);
    EXPECT_EQ(Position(), Tmsf(3, 0, 0, 74)) << "the last sector heard";
}

TEST_F(RealCd, ADataTrackKeepsItsTime) {
    setenv("VORNTAK_CD", WriteDiscImage(folder.path, "mixed", {{15, 440, 0}, {45, 0, 0}, {15, 660, 0}}).c_str(), 1);
    OpenAndPlay(2);
    ExpectAtLeast(Until([&] { return Track() != 2; }, kNoticed), 0.4);  // 0.6 s of a data track
    EXPECT_EQ(std::pair(Mode(), Track()), std::pair(CdMode::Playing, 3));
}

TEST_F(RealCd, StopHoldsThePlaceASecondSeekPlaysFromThereAndCloseEndsAPlay) {
    OpenAndPlay(1);
    EXPECT_LT(Until([&] { return IntoTrack() > 10; }, kNoticed), kNoticed);
    ASSERT_TRUE(cd->Stop());
    EXPECT_EQ(Mode(), CdMode::Stopped);
    const std::uint32_t held = Position();
    EXPECT_GT(IntoTrack(), 10);
    Mix_SetPostMix(&Listen, nullptr);
    buffers = 0;
    EXPECT_LT(Until([&] { return buffers >= 4; }, kNoticed), kNoticed);
    EXPECT_EQ(Position(), held) << "the mixer went on, the disc did not";
    cd->Seek(Tmsf(3));
    ASSERT_TRUE(cd->Play());
    EXPECT_LT(Until([&] { return Track() == 3 && IntoTrack() > 5; }, kNoticed), kNoticed);
    cd->Close();
    EXPECT_EQ(Mode(), CdMode::NotOpen);
    buffers = 0;
    EXPECT_LT(Until([&] { return buffers >= 1; }, kNoticed), kNoticed);  // a buffer mixed before the close may still come out
    loudBuffers = buffers = 0;
    EXPECT_LT(Until([&] { return buffers >= 4; }, kNoticed), kNoticed);
    Mix_SetPostMix(nullptr, nullptr);
    EXPECT_EQ(loudBuffers, 0) << "a closed disc is no longer mixed";
    EXPECT_FALSE(Present() || cd->Play() || cd->Stop());
    ASSERT_TRUE(cd->Open("B:") && Present());
}

TEST_F(RealCd, AnImageTakenAwayOrReplacedIsNoMediaUntilTheNextOpenButABadSpotPlaysOn) {
    OpenAndPlay(1);
    EXPECT_LT(Until([&] { return IntoTrack() > 5; }, kNoticed), kNoticed);
    fs::rename(bin, folder.path / "moved.bin");
    EXPECT_LT(Until([&] { return !Present(); }, kNoticed), kNoticed) << "renamed while playing";
    EXPECT_NE(Mode(), CdMode::Playing);
    fs::rename(folder.path / "moved.bin", bin);
    SDL_Delay(50);
    std::int32_t count = 0;
    EXPECT_FALSE(Present() || cd->TrackCount(count) || cd->Play()) << "a disc put back may be another";

    OpenAndPlay(1);
    fs::copy_file(cue, folder.path / "copy.cue");
    fs::rename(folder.path / "copy.cue", cue);
    EXPECT_LT(Until([&] { return !Present(); }, kNoticed), kNoticed) << "replaced by another file";

    // Cut inside track 2, past the read-ahead: its end will not read, and plays as silence in its time.
    ASSERT_TRUE(cd->Open("B:"));
    cd->Seek(Tmsf(2));
    fs::resize_file(bin, 160 * kSectorBytes);
    ASSERT_TRUE(cd->Play());
    ExpectAtLeast(Until([&] { return Track() != 2 || !Present(); }, kNoticed), 1.0);  // 1.2 s, its end as silence
    EXPECT_EQ(std::tuple(Present(), Mode(), Track()), std::tuple(true, CdMode::Playing, 3));
    fs::remove(bin);
    EXPECT_LT(Until([&] { return !Present(); }, kNoticed), kNoticed) << "removed";
}

TEST_F(RealCd, BadImagesAreNoDisc) {
    auto write = [&](const char* name, const std::string& text) {
        std::ofstream(folder.path / name) << text;
        return (folder.path / name).string();
    };
    std::string garbage(3000, '\0');
    for (std::size_t i = 0; i < garbage.size(); ++i) garbage[i] = char(i * 7919 % 251);
    for (const char* copy : {"a.bin", "b.bin", "cut.bin"}) fs::copy_file(bin, folder.path / copy);
    fs::resize_file(folder.path / "cut.bin", 100 * kSectorBytes);  // ends inside track 2
    std::string cutCue = std::string(std::istreambuf_iterator<char>(std::ifstream(cue).rdbuf()), {});
    cutCue.replace(cutCue.find("disc.bin"), 8, "cut.bin");
    const std::string track = "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n";
    std::string hundredAndOne = "FILE \"a.bin\" BINARY\n";  // libcdio's table has room for 100
    for (int i = 0; i < 101; ++i) hundredAndOne += track;
    // A FIFO would hold libcdio's open until someone writes to it.
    ASSERT_EQ(::mkfifo((folder.path / "fifo.cue").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((folder.path / "fifo.bin").c_str(), 0600), 0);
    for (const std::string& image :
         {(folder.path / "missing.cue").string(), write("garbage.cue", garbage), write("empty.cue", ""),
          write("lost.cue", "FILE \"nowhere.bin\" BINARY\n" + track), write("cut.cue", cutCue), folder.path.string(),
          write("multi.cue", "FILE \"a.bin\" BINARY\n" + track + "FILE \"b.bin\" BINARY\n  TRACK 02 AUDIO\n    INDEX 01 00:00:00\n"),
          write("many.cue", hundredAndOne), write("down.cue", "FILE \"a.bin\" BINARY\n" + track + track),
          (folder.path / "fifo.cue").string(), write("piped.cue", "FILE \"fifo.bin\" BINARY\n" + track)}) {
        setenv("VORNTAK_CD", image.c_str(), 1);
        if (!cd->Open("B:")) continue;
        EXPECT_FALSE(Present() || cd->Seek(Tmsf(1)) || cd->Play()) << image;
    }
}

TEST_F(RealCd, ManyBoutsLeaveNoThreadOrDescriptorBehind) {
    auto bout = [&] {
        OpenAndPlay(2);
        SDL_Delay(5);
        cd->Close();
    };
    // A close lets its worker end and the disc go on a thread of their own;
    // an image's close takes no time, so what is still there a while later stays.
    auto settled = [](const char* folder, int at) {
        for (int wait = 0; wait < 1000 && Entries(folder) > at; ++wait) SDL_Delay(10);
        return Entries(folder);
    };
    bout();  // the audio device stays for the run
    SDL_Delay(100);
    const int threads = Entries("/proc/self/task"), descriptors = Entries("/proc/self/fd");
    for (int i = 0; i < 40; ++i) bout();
    EXPECT_LE(settled("/proc/self/task", threads), threads);
    EXPECT_LE(settled("/proc/self/fd", descriptors), descriptors);
}

}  // namespace
