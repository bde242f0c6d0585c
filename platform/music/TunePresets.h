// The instruments a Standard MIDI File selects, so the synthesiser can load
// their samples before the tune starts rather than on the audio thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

struct TunePreset {
    int bank, program;  // the drum channel (10) as bank 128
    bool operator==(const TunePreset&) const = default;
};

// Every preset the tune selects, with each channel's preset before its first
// program change; a tune cut short yields what precedes the cut.
std::vector<TunePreset> PresetsOfTune(const std::uint8_t* data, std::size_t size);

}  // namespace platform
