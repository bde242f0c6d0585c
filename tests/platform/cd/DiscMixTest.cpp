// The disc as the mixer writes it, through SDL's disk audio driver: each
// track's tone where the disc holds it, at one fixed level, silence in the
// pregap and after the end.
#include "DiscImage.h"
#include "CdAudio.h"
#include "PlayerBackends.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

constexpr int kSector = 588;  // stereo frames

struct Span {
    std::size_t crossings = 0;
    int peak = 0;
};

// Zero crossings and the peak of the left channel over frames [from, to).
Span Measure(const std::vector<std::int16_t>& samples, std::size_t from, std::size_t to) {
    Span span;
    for (std::size_t f = from; f < to && 2 * f + 2 < samples.size(); ++f) {
        const int a = samples[2 * f], b = samples[2 * f + 2];
        span.crossings += (a < 0) != (b < 0);
        span.peak = std::max(span.peak, std::abs(a));
    }
    return span;
}

TEST(DiscMix, TheTracksSoundWhereTheDiscHoldsThemAtOneLevel) {
    DiscFolder folder;
    const std::string cue = WriteDiscImage(folder.path, "disc", kTestDisc);
    const std::string file = (folder.path / "mix.raw").string();
    setenv("VORNTAK_CD", cue.c_str(), 1);
    // The disk driver above whatever an earlier test's fall-back left, for this test alone.
    SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "disk", SDL_HINT_OVERRIDE);
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "10", 1);  // a 1,024-frame buffer each 10 ms: faster than it plays
    struct Restore {
        ~Restore() {
            SDL_ResetHint(SDL_HINT_AUDIODRIVER);
            unsetenv("SDL_DISKAUDIOFILE");
            unsetenv("SDL_DISKAUDIODELAY");
        }
    } restore;

    {
        auto cd = platform::MakeLibcdioCdAudio();
        ASSERT_TRUE(cd->Open("B:")) << cd->ErrorText();
        cd->Seek(platform::Tmsf(1));  // it may give up on a busy machine: the play starts as the sound comes
        ASSERT_TRUE(cd->Play());
        platform::CdMode mode = platform::CdMode::Playing;
        for (int waited = 0; mode == platform::CdMode::Playing && waited < 10000; waited += 5) {
            SDL_Delay(5);
            cd->Mode(mode);
        }
        ASSERT_EQ(mode, platform::CdMode::Stopped);
        SDL_Delay(100);  // some silence after the end
    }

    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GE(bytes.size(), 4u) << "nothing was mixed";
    std::vector<std::int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    const auto first = std::find_if(samples.begin(), samples.end(), [](std::int16_t s) { return s != 0; });
    ASSERT_NE(first, samples.end()) << "the disc was never heard";
    const std::size_t start = static_cast<std::size_t>(first - samples.begin()) / 2;

    // Each tone in the middle of its track; a short way in from either end.
    int sector = 0;
    for (const ToneTrack& track : kTestDisc) {
        if (track.pregapSectors) {
            const std::size_t from = start + std::size_t(sector + 5) * kSector;
            EXPECT_EQ(Measure(samples, from, from + std::size_t(track.pregapSectors - 10) * kSector).peak, 0)
                << "the pregap is silent";
        }
        sector += track.pregapSectors;
        const std::size_t from = start + std::size_t(sector + 5) * kSector;
        const std::size_t frames = std::size_t(track.sectors - 10) * kSector;
        const Span span = Measure(samples, from, from + frames);
        EXPECT_NEAR(span.crossings * 44100.0 / 2 / frames, track.hertz, track.hertz * 0.02) << track.hertz;
        EXPECT_NEAR(span.peak, kToneAmplitude / 8, kToneAmplitude / 8 / 50) << "the disc at an eighth";
        sector += track.sectors;
    }
    const std::size_t end = start + std::size_t(sector + 2) * kSector;
    ASSERT_GT(samples.size() / 2, end + kSector);
    EXPECT_EQ(Measure(samples, end, samples.size() / 2).peak, 0) << "silence after the last track";
}

}  // namespace
