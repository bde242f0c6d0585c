// The players' CD back end on a generated BIN/CUE image, through SDL's dummy
// audio driver, whose clock runs near real time.
#include "DiscImage.h"
#include "FakeCd.h"
#include "PlayerBackends.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>

using platform::CdMode;
using platform::DriveType;
using platform::Tmsf;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// Waits up to `limit` seconds for `done`, polling each millisecond; the seconds it took, or -1.
double Until(const std::function<bool()>& done, double limit) {
    const auto start = Clock::now();
    while (!done()) {
        if (SecondsSince(start) > limit) return -1;
        SDL_Delay(1);
    }
    return SecondsSince(start);
}

// Sectors into its track of a tracks/minutes/seconds/frames position.
int IntoTrack(std::uint32_t tmsf) {
    return static_cast<int>(((tmsf >> 8 & 0xFF) * 60 + (tmsf >> 16 & 0xFF)) * 75 + (tmsf >> 24));
}

int Entries(const char* folder) {
    return static_cast<int>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

class RealCd : public testing::Test {
protected:
    void SetUp() override {
        cue = WriteDiscImage(folder.path, "disc", kTestDisc);
        bin = folder.path / "disc.bin";
        setenv("VORNTAK_CD", cue.c_str(), 1);
        cd = platform::MakeLibcdioCdAudio();
    }
    void TearDown() override {
        cd.reset();
        unsetenv("VORNTAK_CD");
    }

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
    int Track() { return static_cast<int>(Position() & 0xFF); }
    void SeekTrack(int track) {
        std::uint32_t start = 0;
        ASSERT_TRUE(cd->TrackStart(track, start));
        ASSERT_TRUE(cd->Seek(start));
    }

    DiscFolder folder;
    std::string cue;
    fs::path bin;
    std::unique_ptr<platform::CdAudio> cd;
};

TEST_F(RealCd, TheImageIsDriveBAndItsTracksStartAtTheirFirstFrame) {
    EXPECT_EQ(cd->TypeOfDrive("B:"), DriveType::CdRom);
    for (const char* other : {"C:", "D:", "N:", "A:", "B", ""}) EXPECT_EQ(cd->TypeOfDrive(other), DriveType::NoDrive) << other;
    ASSERT_TRUE(cd->Open("B:")) << cd->ErrorText();
    std::int32_t count = 0;
    ASSERT_TRUE(Present() && cd->SetTrackTimeFormat() && cd->TrackCount(count));
    EXPECT_EQ(count, 3);
    EXPECT_EQ(Mode(), CdMode::Stopped);
    for (int track = 1; track <= 3; ++track) {
        std::uint32_t start = 0;
        ASSERT_TRUE(cd->TrackStart(track, start));
        EXPECT_EQ(start, Tmsf(track));
        ASSERT_TRUE(cd->Seek(start));
        EXPECT_EQ(Position(), Tmsf(track)) << "a seek lands on the track's first frame";
    }
    std::uint32_t start = 0;
    EXPECT_FALSE(cd->TrackStart(4, start) || cd->TrackStart(0, start));
    EXPECT_TRUE(cd->Seek(Tmsf(2, 0, 1, 5)));
    EXPECT_EQ(Position(), Tmsf(2, 0, 1, 5));
    EXPECT_FALSE(cd->Seek(Tmsf(3, 0, 1, 0))) << "past the last sector";
    EXPECT_FALSE(cd->Seek(Tmsf(4)));
    // The same image by its .bin.
    setenv("VORNTAK_CD", bin.c_str(), 1);
    ASSERT_EQ(cd->TypeOfDrive("B:"), DriveType::CdRom);
    ASSERT_TRUE(cd->Open("B:"));
    EXPECT_TRUE(Present() && cd->TrackCount(count) && count == 3);
}

// The pregap of track 3 counts with track 3: the track byte turns when track 2's tone ends.
TEST_F(RealCd, TheTrackByteTurnsWhenTheNextTrackBeginsAndTheDiscStopsAtItsEnd) {
    ASSERT_TRUE(cd->Open("B:"));
    SeekTrack(2);
    const auto start = Clock::now();
    ASSERT_TRUE(cd->Play());
    EXPECT_EQ(Mode(), CdMode::Playing);
    EXPECT_EQ(Track(), 2);
    const double turned = Until([&] { return Track() != 2; }, 3);
    EXPECT_NEAR(turned, 1.2, 0.2);
    EXPECT_EQ(Track(), 3);
    EXPECT_EQ(Position(), Tmsf(3)) << "the pregap reads as the track's start";
    EXPECT_EQ(Mode(), CdMode::Playing);
    ASSERT_GE(Until([&] { return Mode() != CdMode::Playing; }, 3), 0);
    EXPECT_NEAR(SecondsSince(start), 1.2 + 0.4 + 1.0, 0.25);
    EXPECT_EQ(Mode(), CdMode::Stopped);
    EXPECT_EQ(Position(), Tmsf(3, 0, 0, 74)) << "the last sector heard";
    EXPECT_TRUE(Present());
}

TEST_F(RealCd, StopHoldsThePlaceASecondSeekPlaysFromThereAndCloseEndsAPlay) {
    ASSERT_TRUE(cd->Open("B:"));
    SeekTrack(1);
    ASSERT_TRUE(cd->Play());
    SDL_Delay(300);
    ASSERT_TRUE(cd->Stop());
    EXPECT_EQ(Mode(), CdMode::Stopped);
    const std::uint32_t held = Position();
    EXPECT_GT(IntoTrack(held), 10);
    SDL_Delay(100);
    EXPECT_EQ(Position(), held);

    SeekTrack(3);
    ASSERT_TRUE(cd->Play());
    EXPECT_GE(Until([&] { return Track() == 3 && IntoTrack(Position()) > 5; }, 1), 0);
    cd->Close();
    CdMode mode{};
    EXPECT_TRUE(cd->Mode(mode) && mode == CdMode::NotOpen);
    EXPECT_FALSE(Present());
    EXPECT_FALSE(cd->Play() || cd->Stop());
    cd->Close();  // again: nothing
    ASSERT_TRUE(cd->Open("B:"));
    EXPECT_TRUE(Present());
}

TEST_F(RealCd, AnImageTakenAwayReadsAsNoMediaAtOnceUntilTheNextOpen) {
    ASSERT_TRUE(cd->Open("B:"));
    SeekTrack(1);
    ASSERT_TRUE(cd->Play());
    SDL_Delay(200);
    fs::rename(bin, folder.path / "moved.bin");
    EXPECT_LT(Until([&] { return !Present(); }, 1), 0.1) << "renamed while playing";
    EXPECT_NE(Mode(), CdMode::Playing);
    fs::rename(folder.path / "moved.bin", bin);
    SDL_Delay(50);
    EXPECT_FALSE(Present()) << "a disc put back may be another";
    std::int32_t count = 0;
    EXPECT_FALSE(cd->TrackCount(count) || cd->Play());

    // Stopped, and the cue sheet replaced by a copy: another file.
    ASSERT_TRUE(cd->Open("B:") && Present());
    fs::copy_file(cue, folder.path / "copy.cue");
    fs::rename(folder.path / "copy.cue", cue);
    EXPECT_LT(Until([&] { return !Present(); }, 1), 0.1) << "replaced while stopped";

    // Cut short while reading ahead: a failed read.
    ASSERT_TRUE(cd->Open("B:") && Present());
    SeekTrack(1);
    fs::resize_file(bin, 160 * kSectorBytes);
    ASSERT_TRUE(cd->Play());
    EXPECT_GE(Until([&] { return !Present(); }, 1.5), 0);
    EXPECT_NE(Mode(), CdMode::Playing);
}

TEST_F(RealCd, BadImagesAreNoDisc) {
    auto write = [&](const char* name, const std::string& text) {
        std::ofstream(folder.path / name) << text;
        return (folder.path / name).string();
    };
    std::string garbage(3000, '\0');
    for (std::size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<char>(i * 7919 % 251);
    fs::copy_file(bin, folder.path / "a.bin");
    fs::copy_file(bin, folder.path / "b.bin");
    fs::copy_file(bin, folder.path / "cut.bin");
    fs::resize_file(folder.path / "cut.bin", 100 * kSectorBytes);  // ends inside track 2
    std::string cutCue;
    {
        std::ifstream in(cue);
        cutCue.assign(std::istreambuf_iterator<char>(in), {});
        cutCue.replace(cutCue.find("disc.bin"), 8, "cut.bin");
    }
    const std::string images[] = {
        (folder.path / "missing.cue").string(),
        write("garbage.cue", garbage),
        write("empty.cue", ""),
        write("lost.cue", "FILE \"nowhere.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"),
        write("multi.cue", "FILE \"a.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                           "FILE \"b.bin\" BINARY\n  TRACK 02 AUDIO\n    INDEX 01 00:00:00\n"),
        write("cut.cue", cutCue),
        folder.path.string(),
    };
    for (const std::string& image : images) {
        setenv("VORNTAK_CD", image.c_str(), 1);
        ASSERT_EQ(cd->TypeOfDrive("B:"), DriveType::CdRom);
        if (!cd->Open("B:")) {
            EXPECT_FALSE(cd->ErrorText().empty());
            continue;
        }
        EXPECT_FALSE(Present()) << image;
        EXPECT_FALSE(cd->Seek(Tmsf(1)) || cd->Play()) << image;
        cd->Close();
    }
}

TEST_F(RealCd, WithoutTheVariableTheDrivesAreTheSystemsOwn) {
    unsetenv("VORNTAK_CD");
    if (cd->TypeOfDrive("B:") == DriveType::CdRom) GTEST_SKIP() << "this machine has an optical drive";
    for (char letter = 'B'; letter <= 'N'; ++letter)
        EXPECT_EQ(cd->TypeOfDrive(std::string{letter, ':'}), DriveType::NoDrive);
    EXPECT_FALSE(cd->Open("N:"));
}

TEST_F(RealCd, ManyBoutsLeaveNoThreadOrDescriptorBehind) {
    auto bout = [&] {
        ASSERT_TRUE(cd->Open("B:"));
        SeekTrack(2);
        ASSERT_TRUE(cd->Play());
        SDL_Delay(5);
        cd->Close();
    };
    bout();  // the audio device stays for the run
    const int threads = Entries("/proc/self/task"), descriptors = Entries("/proc/self/fd");
    for (int i = 0; i < 40; ++i) bout();
    EXPECT_EQ(Entries("/proc/self/task"), threads);
    EXPECT_EQ(Entries("/proc/self/fd"), descriptors);
}

}  // namespace
