// The real mix, rendered through SDL's disk audio driver as fast as it goes:
// each tune through FluidSynth with the General MIDI soundfont, and a busy
// fight's effects over the loudest tune. Nothing may clip, and the tunes sit
// within 3 dB of each other.
#include "CompiledResources.h"
#include "PlayerBackends.h"
#include "SoundBuffers.h"
#include "WaveParser.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

struct Level {
    double rmsDb = -200;
    double clippedShare = 0;
};

// What `play` makes the disk driver write, in `wallMs` of wall time at most.
template <typename Play>
std::vector<std::int16_t> RenderSamples(Play&& play, int wallMs) {
    const std::string file = testing::TempDir() + "vorntak-mix-" + std::to_string(::getpid()) + ".raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);
    play(wallMs);
    setenv("SDL_AUDIODRIVER", "dummy", 1);

    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::remove(file.c_str());
    std::vector<std::int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

std::uintmax_t BytesWritten() {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(std::getenv("SDL_DISKAUDIOFILE"), error);
    return error ? 0 : size;
}

// Plays what `play` starts on the disk driver and measures what was written.
template <typename Play>
Level Render(Play&& play, int wallMs) {
    std::vector<std::int16_t> samples = RenderSamples(play, wallMs);
    // The silence before the first sound and after the last, written while the
    // synthesiser loads and once the tune has ended, is no part of the mix.
    while (!samples.empty() && samples.back() == 0) samples.pop_back();
    samples.erase(samples.begin(), std::find_if(samples.begin(), samples.end(), [](std::int16_t s) { return s != 0; }));
    if (samples.empty()) return {};
    double sum = 0;
    std::size_t clipped = 0;
    for (std::int16_t s : samples) {
        sum += double(s) * s;
        clipped += s == 32767 || s == -32768;
    }
    return {20 * std::log10(std::sqrt(sum / samples.size()) / 32768), double(clipped) / samples.size()};
}

// Whether the last second written is silent (true before a second is written).
bool LastSecondSilent(const std::string& file) {
    constexpr std::streamoff kSecond = 44100 * 4;
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    const std::streamoff size = in.tellg();
    if (size <= kSecond) return true;
    std::vector<char> tail(kSecond);
    in.seekg(size - kSecond);
    in.read(tail.data(), kSecond);
    return std::all_of(tail.begin(), tail.end(), [](char b) { return b == 0; });
}

// The whole tune, once: the driver renders far faster than it plays.
void PlayTune(platform::Music& music, const char* name, int wallMs) {
    music.InitialisePerformance();
    music.SetSearchDirectory(RUN_DIRECTORY);
    platform::MusicSegment* tune = music.LoadSegment(name);
    ASSERT_NE(tune, nullptr) << name;
    music.Play(tune);
    const std::string file = std::getenv("SDL_DISKAUDIOFILE");
    // The tune has ended once a second of silence follows its sound.
    for (int waited = 0, heard = 0; waited < wallMs; waited += 5) {
        const bool silent = LastSecondSilent(file);
        if (silent && heard) break;
        heard |= !silent;
        SDL_Delay(5);
    }
    music.ReleaseSegment(tune);
    music.ReleasePerformance();
}

}  // namespace

TEST(MixLevels, EveryTuneSitsWithinThreeDecibelsOfTheOthersAndNoneClips) {
    const char* tunes[] = {"Start.mid", "Select.mid", "Fighting1.mid", "Fighting2.mid", "Fighting3.mid"};
    std::vector<double> levels;
    for (const char* name : tunes) {
        const Level level = Render([&](int ms) { PlayTune(*platform::MakeFluidSynthMusic(), name, ms); }, 30000);
        if (level.rmsDb < -100) GTEST_SKIP() << "no MIDI synthesiser or soundfont here";
        EXPECT_LT(level.clippedShare, 0.0001) << name;
        levels.push_back(level.rmsDb);
    }
    const auto [low, high] = std::minmax_element(levels.begin(), levels.end());
    EXPECT_LE(*high - *low, 3.0);
}

// A stop at the measure fades the tune out within a third of a second; a stop
// at once silences it with the next buffer. Both leave the music silent.
TEST(MixLevels, StopsFadeOrCutTheTuneToSilence) {
    for (const bool atNextMeasure : {true, false}) {
        // Samples written before the stop was asked for, and once it had returned: the
        // driver renders on while this thread waits for the processor.
        std::size_t before = 0, after = 0;
        const std::vector<std::int16_t> samples = RenderSamples(
            [&](int ms) {
                auto music = platform::MakeFluidSynthMusic();
                music->InitialisePerformance();
                music->SetSearchDirectory(RUN_DIRECTORY);
                platform::MusicSegment* tune = music->LoadSegment("Fighting1.mid");
                music->SetRepeats(tune, 65536);
                music->Play(tune);
                const std::uintmax_t start = BytesWritten();
                for (int waited = 0; BytesWritten() < start + 2 * 44100 * 4 && waited < ms; waited += 1) SDL_Delay(1);
                before = BytesWritten() / 2;
                music->StopAll(atNextMeasure);
                after = BytesWritten() / 2;
                music->ReleaseSegment(tune);  // the fade plays on without the tune's bytes
                for (int waited = 0; BytesWritten() < 2 * after + 44100 * 4 && waited < ms; waited += 1) SDL_Delay(1);
                music->ReleasePerformance();
            },
            20000);
        if (std::all_of(samples.begin(), samples.end(), [](std::int16_t s) { return s == 0; }))
            GTEST_SKIP() << "no MIDI synthesiser or soundfont here";
        ASSERT_GT(samples.size(), after + 44100);
        // Allow what was mixed but not yet written when the stop came: a few 1024-frame buffers.
        const std::size_t silentFrom = after + 2 * (atNextMeasure ? 44100 * 3 / 10 + 4096 : 4096);
        EXPECT_TRUE(std::any_of(samples.begin() + before - 4096, samples.begin() + before,
                                [](std::int16_t s) { return s != 0; }));
        EXPECT_TRUE(std::all_of(samples.begin() + silentFrom, samples.end(), [](std::int16_t s) { return s == 0; }))
            << (atNextMeasure ? "at the measure" : "at once");
    }
}

TEST(MixLevels, ABusyFightsEffectsOverTheMusicLeaveHeadroom) {
    const Level level = Render(
        [](int ms) {
            auto music = platform::MakeFluidSynthMusic();
            auto sound = platform::MakeSdlSound();
            ASSERT_TRUE(sound->CreateDevice());
            sound->SetPrimaryFormat(sound->CreatePrimaryBuffer(), {2, 44100, 16});
            std::vector<platform::SoundBuffer*> effects;
            for (const char* name : {"HITTED1", "HITTED2", "HITTED3", "HITTED4", "ATTACK1", "ATTACK2", "ATTACK3",
                                     "ATTACK4", "ATTACK5", "BEAM", "ACID"}) {
                const platform::Resource* r = CompiledResources().Find("WAVE", name);
                ASSERT_NE(r, nullptr);
                platform::SoundBuffer* buffer = BufferOfWave(*sound, r->bytes, r->size);
                ASSERT_NE(buffer, nullptr) << name;
                effects.push_back(buffer);
            }
            music->InitialisePerformance();
            music->SetSearchDirectory(RUN_DIRECTORY);
            platform::MusicSegment* tune = music->LoadSegment("Fighting2.mid");
            music->Play(tune);
            // Hits, shots and beams two at a time every tenth of a second of sound, as in a
            // crowded fight, for twenty seconds: the written file is the mixer's clock.
            const std::string file = std::getenv("SDL_DISKAUDIOFILE");
            constexpr std::uintmax_t kTenth = 44100 / 10 * 4;  // bytes of 16-bit stereo
            std::uintmax_t next = 0;
            for (int k = 0, waited = 0; k < 200 && waited < ms; waited += 1) {
                std::error_code error;
                if (std::filesystem::file_size(file, error) >= next && !error) {
                    platform::SoundBuffer* a = effects[k % effects.size()];
                    platform::SoundBuffer* b = effects[(k * 7 + 3) % effects.size()];
                    sound->SetPosition(a, 0);
                    sound->Play(a, false);
                    sound->SetPosition(b, 0);
                    sound->Play(b, false);
                    next += kTenth;
                    ++k;
                }
                SDL_Delay(1);
            }
            for (platform::SoundBuffer* buffer : effects) sound->Release(buffer);
            music->ReleaseSegment(tune);
            music->ReleasePerformance();
            sound->ReleaseDevice();
        },
        60000);
    if (level.rmsDb < -100) GTEST_SKIP() << "no audio here";
    EXPECT_LT(level.clippedShare, 0.0001);
}
