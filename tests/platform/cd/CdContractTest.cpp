// What the game relies on from any CD back end, held on the fake drive and
// on the players' one over generated images: drive "B:" holds a disc
// of three tracks, positions are tracks/minutes/seconds/frames, the play runs
// on into the next track and stops after the last, and a disc taken out is
// no media.
#include "CdAudio.h"
#include "DiscImage.h"
#include "FakeCd.h"
#include "PlayerBackends.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <chrono>

using platform::CdMode;
using platform::DriveType;
using platform::Tmsf;
using platform::TmsfTrack;

namespace {

// The fake: the test moves the play on.
struct FakeDrive {
    FakeDrive() {
        fake->SetDriveType("B:", DriveType::CdRom);
        fake->InsertDisc(3);
    }
    platform::CdAudio& Cd() { return *fake; }
    bool PlayOnTo(int track) {
        fake->AdvanceToTrack(track);
        return true;
    }
    void TakeOut() { fake->RemoveDisc(); }

    std::unique_ptr<platform::FakeCd> fake = std::make_unique<platform::FakeCd>();
};

// A disc image: the play moves on by itself, in real time.
struct ImageDrive {
    ImageDrive() { setenv("VORNTAK_CD", WriteDiscImage(folder.path, "disc", kTestDisc).c_str(), 1); }
    ~ImageDrive() { unsetenv("VORNTAK_CD"); }
    platform::CdAudio& Cd() { return *cd; }
    // Waits, for a few seconds at most, for the play to reach `track`, or to stop past the last.
    bool PlayOnTo(int track) {
        const auto start = std::chrono::steady_clock::now();
        for (;;) {
            platform::CdMode mode{};
            std::uint32_t at = 0;
            cd->Mode(mode);
            cd->Position(at);
            if (track > 3 ? mode != CdMode::Playing : TmsfTrack(at) == track) return true;
            if (std::chrono::steady_clock::now() - start > std::chrono::seconds(10)) return false;
            SDL_Delay(2);
        }
    }
    void TakeOut() { std::filesystem::rename(folder.path / "disc.bin", folder.path / "gone.bin"); }

    DiscFolder folder;
    std::unique_ptr<platform::CdAudio> cd = platform::MakeLibcdioCdAudio();
};

// The same image as a ripper may write it: the file named in other letters,
// its samples MOTOROLA, the sheet's words parted by tabs, its tracks numbered 001.
struct RippedImageDrive : ImageDrive {
    RippedImageDrive() {
        std::string samples{std::istreambuf_iterator<char>(std::ifstream(folder.path / "disc.bin").rdbuf()), {}};
        for (std::size_t i = 0; i + 1 < samples.size(); i += 2) std::swap(samples[i], samples[i + 1]);
        std::ofstream(folder.path / "Disc.Bin", std::ios::binary) << samples;
        std::filesystem::remove(folder.path / "disc.bin");
        std::string sheet{std::istreambuf_iterator<char>(std::ifstream(folder.path / "disc.cue").rdbuf()), {}};
        sheet.replace(0, sheet.find('\n'), "FILE\t\"DISC.BIN\"\tMOTOROLA");
        for (std::size_t at = 0; (at = sheet.find("TRACK 0", at)) != std::string::npos; at += 8) sheet.insert(at + 6, "0");
        for (char& c : sheet) c = c == ' ' ? '\t' : c;
        std::ofstream(folder.path / "disc.cue") << sheet;
    }
    void TakeOut() { std::filesystem::rename(folder.path / "Disc.Bin", folder.path / "gone.bin"); }
};

template <typename Drive>
class CdContract : public testing::Test {
protected:
    bool Present() {
        bool present = false;
        return cd.MediaPresent(present) && present;
    }
    CdMode Mode() {
        CdMode mode{};
        EXPECT_TRUE(cd.Mode(mode));
        return mode;
    }
    std::uint32_t Position() {
        std::uint32_t at = 0;
        cd.Position(at);
        return at;
    }

    Drive drive;
    platform::CdAudio& cd = drive.Cd();
};

using Drives = testing::Types<FakeDrive, ImageDrive, RippedImageDrive>;
TYPED_TEST_SUITE(CdContract, Drives);

TYPED_TEST(CdContract, BHoldsADiscOfThreeTracksEachStartingAtItsFirstFrame) {
    auto& cd = this->cd;
    EXPECT_EQ(cd.TypeOfDrive("B:"), DriveType::CdRom);
    EXPECT_EQ(cd.TypeOfDrive("N:"), DriveType::NoDrive);
    EXPECT_EQ(this->Mode(), CdMode::NotOpen);
    EXPECT_FALSE(cd.Open("N:"));
    EXPECT_FALSE(cd.ErrorText().empty());
    ASSERT_TRUE(cd.Open("B:")) << cd.ErrorText();
    std::int32_t count = 0;
    ASSERT_TRUE(this->Present() && cd.SetTrackTimeFormat() && cd.TrackCount(count));
    EXPECT_EQ(count, 3);
    EXPECT_EQ(this->Mode(), CdMode::Stopped);
    for (int track = 1; track <= 3; ++track) {
        std::uint32_t start = 0;
        ASSERT_TRUE(cd.TrackStart(track, start));
        cd.Seek(start);  // its answer may be a busy machine's; the place is taken at once
        EXPECT_EQ(std::pair(start, this->Position()), std::pair(Tmsf(track), Tmsf(track)));
    }
    std::uint32_t start = 0;
    EXPECT_FALSE(cd.TrackStart(0, start) || cd.TrackStart(4, start));
}

TYPED_TEST(CdContract, ThePlayRunsOnIntoTheNextTrackAndStopsAfterTheLast) {
    auto& cd = this->cd;
    ASSERT_TRUE(cd.Open("B:"));
    cd.Seek(Tmsf(2));
    ASSERT_TRUE(cd.Play());
    EXPECT_EQ(this->Mode(), CdMode::Playing);
    ASSERT_TRUE(this->drive.PlayOnTo(3));
    EXPECT_EQ(std::pair(this->Mode(), TmsfTrack(this->Position())), std::pair(CdMode::Playing, 3));
    ASSERT_TRUE(this->drive.PlayOnTo(4));
    EXPECT_EQ(std::pair(this->Mode(), TmsfTrack(this->Position())), std::pair(CdMode::Stopped, 3));
}

TYPED_TEST(CdContract, StopHoldsTheDiscAndCloseEndsItUntilTheNextOpen) {
    auto& cd = this->cd;
    ASSERT_TRUE(cd.Open("B:"));
    cd.Seek(Tmsf(1));
    ASSERT_TRUE(cd.Play() && cd.Stop());
    EXPECT_EQ(this->Mode(), CdMode::Stopped);
    cd.Close();
    cd.Close();
    EXPECT_EQ(this->Mode(), CdMode::NotOpen);
    EXPECT_FALSE(this->Present() || cd.Play());
    ASSERT_TRUE(cd.Open("B:"));
    EXPECT_TRUE(this->Present());
}

TYPED_TEST(CdContract, ADiscTakenOutIsNoMediaAndNoPlay) {
    auto& cd = this->cd;
    ASSERT_TRUE(cd.Open("B:"));
    cd.Seek(Tmsf(1));
    ASSERT_TRUE(cd.Play());
    this->drive.TakeOut();
    const auto start = std::chrono::steady_clock::now();
    while (this->Present()) {
        ASSERT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << "never noticed";
        SDL_Delay(1);
    }
    std::int32_t count = 0;
    EXPECT_NE(this->Mode(), CdMode::Playing);
    EXPECT_FALSE(cd.TrackCount(count) || cd.Play());
}

}  // namespace
