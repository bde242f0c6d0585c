// libFuzzer target: the tune check and the synthesiser agree. A tune the check
// accepts loads in FluidSynth, lasts some ticks and loops without spinning, as
// the game plays it; a tune it refuses fails to load there or lasts no time.
#include "MidiCheck.h"
#include "SynthVerdict.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const platform::MidiFault fault = platform::CheckMidi(bytes, size);
    // FluidSynth's reader never takes such a file, and may loop for ever on it.
    if (fault == platform::MidiFault::NotATrack) return 0;

    const bool plays = synth_verdict::Plays(bytes, size);
    if (plays != (fault == platform::MidiFault::None)) {
        std::fprintf(stderr, "the check says %d, FluidSynth %s\n", static_cast<int>(fault), plays ? "plays it" : "does not");
        std::abort();
    }
    // As the game plays it, looping for ever: a spin inside a block is a time-out.
    if (plays) synth_verdict::Play(bytes, size, -1, 8);
    return 0;
}
