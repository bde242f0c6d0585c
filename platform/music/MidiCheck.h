// Whether a Standard MIDI File can be played: the tune check reads a file as
// the synthesiser's own reader (FluidSynth 2.3) does, byte for byte, so that
// what it accepts the synthesiser plays to its end and what the synthesiser
// plays it accepts. The synthesiser's looping player spins for ever on a tune
// it cannot read or one that lasts no time, so such a tune is refused when it
// is loaded.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

enum class MidiFault {
    None,
    Header,     // no "MThd" header of length 6, a format above 2, SMPTE timing, or more tracks than the player holds
    NotATrack,  // a chunk other than "MTrk" where a track is read (the synthesiser's reader may loop for ever there)
    Event,      // a track cut short, or an event the reader refuses
    NoTime,     // no tracks, or every track ends at tick 0
};

MidiFault CheckMidi(const std::uint8_t* data, std::size_t size);
inline bool IsPlayableMidi(const std::uint8_t* data, std::size_t size) { return CheckMidi(data, size) == MidiFault::None; }

}  // namespace platform
