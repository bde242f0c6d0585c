// A stage change's music steps with the players' back end: the playing tune
// stopped at once and at the measure, released, and the next one read from
// its file and started. It must fit in a frame or two.
#include "PlayerBackends.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

void BM_TuneChange(benchmark::State& state) {
    auto music = platform::MakeFluidSynthMusic();
    music->InitialisePerformance();
    // The tunes lie beside this program.
    music->SetSearchDirectory(std::filesystem::read_symlink("/proc/self/exe").parent_path().string());
    const char* names[] = {"Start.mid", "Select.mid", "Fighting1.mid", "Fighting2.mid", "Fighting3.mid"};
    platform::MusicSegment* tune = music->LoadSegment(names[0]);
    music->Play(tune);  // waits for the soundfont, once
    int next = 1;
    for (auto _ : state) {
        music->StopAll(false);
        music->StopAll(true);
        music->UnloadInstruments(tune);
        music->ReleaseSegment(tune);
        tune = music->LoadSegment(names[next++ % 5]);
        if (!tune) return state.SkipWithError("a tune did not load");
        music->DownloadInstruments(tune);
        music->SetRepeats(tune, 65536);
        music->Play(tune);
    }
    music->StopAll(false);
    music->ReleaseSegment(tune);
    music->ReleasePerformance();
}
BENCHMARK(BM_TuneChange)->Unit(benchmark::kMillisecond);

}  // namespace
