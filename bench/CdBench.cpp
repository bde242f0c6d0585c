// The players' CD on a disc image, through the audio driver the environment
// names: the three queries a fight frame makes while the disc plays (they must
// cost microseconds, not a drive's round trip), the processor time a playing
// disc takes, and the time from Play to the disc's first sound in the mix.
#include "DiscImage.h"
#include "CdAudio.h"
#include "PlayerBackends.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <ctime>

namespace {

using Clock = std::chrono::steady_clock;

// A disc long enough to play through any of these: three 20 s tracks.
struct BenchDisc {
    BenchDisc() {
        setenv("VORNTAK_CD", WriteDiscImage(folder.path, "bench", {{1500, 440, 0}, {1500, 660, 150}, {1500, 880, 0}}).c_str(), 1);
        cd = platform::MakeLibcdioCdAudio();
    }
    bool Start(int track) {
        return cd->Open("B:") && cd->Seek(platform::Tmsf(track)) && cd->Play();
    }
    DiscFolder folder;
    std::unique_ptr<platform::CdAudio> cd;
};

double ProcessSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

void BM_FrameQueriesWhilePlaying(benchmark::State& state) {
    BenchDisc disc;
    if (!disc.Start(1)) return state.SkipWithError("the disc did not play");
    for (auto _ : state) {
        bool present = false;
        platform::CdMode mode{};
        std::uint32_t position = 0;
        disc.cd->MediaPresent(present);
        disc.cd->Mode(mode);
        disc.cd->Position(position);
        benchmark::DoNotOptimize(present);
        benchmark::DoNotOptimize(mode);
        benchmark::DoNotOptimize(position);
    }
}
BENCHMARK(BM_FrameQueriesWhilePlaying);

// The share of one processor the whole program takes over a second, the disc
// playing (arg 1) or opened and stopped (arg 0); the difference is the disc's.
void BM_ProcessorWhilePlaying(benchmark::State& state) {
    BenchDisc disc;
    if (!disc.Start(1)) return state.SkipWithError("the disc did not play");
    if (state.range(0) == 0) disc.cd->Stop();
    double busy = 0, wall = 0;
    for (auto _ : state) {
        const double cpu = ProcessSeconds();
        const auto start = Clock::now();
        SDL_Delay(1000);
        busy += ProcessSeconds() - cpu;
        wall += std::chrono::duration<double>(Clock::now() - start).count();
    }
    state.counters["cpu_percent"] = 100 * busy / wall;
}
BENCHMARK(BM_ProcessorWhilePlaying)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

std::atomic<bool> heard{false};
std::atomic<Clock::rep> heardAt{0};

// After everything else is mixed: the first sound of the disc.
void Listen(void*, Uint8* stream, int bytes) {
    if (heard) return;
    const auto* samples = reinterpret_cast<const Sint16*>(stream);
    for (int i = 0; i < bytes / 2; ++i)
        if (samples[i] != 0) {
            heardAt = Clock::now().time_since_epoch().count();
            heard = true;
            return;
        }
}

void BM_PlayToFirstSound(benchmark::State& state) {
    BenchDisc disc;
    if (!disc.cd->Open("B:")) return state.SkipWithError("the disc did not open");
    Mix_SetPostMix(&Listen, nullptr);
    for (auto _ : state) {
        disc.cd->Seek(platform::Tmsf(2));  // waits for the read-ahead
        SDL_Delay(static_cast<Uint32>(std::rand() % 24));  // any moment of the mixer's 23 ms period
        heard = false;
        const auto start = Clock::now();
        disc.cd->Play();
        while (!heard && Clock::now() - start < std::chrono::seconds(2)) SDL_Delay(0);
        if (!heard) return state.SkipWithError("no sound");
        state.SetIterationTime(std::chrono::duration<double>(Clock::duration(heardAt.load()) - start.time_since_epoch()).count());
        disc.cd->Stop();
    }
    Mix_SetPostMix(nullptr, nullptr);
}
BENCHMARK(BM_PlayToFirstSound)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

}  // namespace
