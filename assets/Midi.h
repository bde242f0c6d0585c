// Tunes as data, and their writing as Standard MIDI Files (format 1: a tempo
// track, then one track per part).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace assets {

struct MidiNote {
    std::uint32_t start, length;  // ticks
    std::uint8_t key, velocity;
};

struct MidiPart {
    std::string name;
    std::uint8_t channel;   // 0-based; 9 is the General MIDI drum kit
    std::uint8_t program;   // General MIDI program, 0-based (ignored on channel 9)
    std::uint8_t volume, pan;
    std::vector<MidiNote> notes;
};

struct MidiTune {
    std::string name;
    std::uint16_t division = 480;  // ticks per quarter note
    double beatsPerMinute = 120;   // quarter notes per minute
    std::uint8_t barBeats = 4, beatUnit = 4;
    std::uint32_t bars = 0;
    // The tune's level, in dB, through every part's channel volume (a synthesiser
    // attenuates by 40 log10 of the volume's share), so the tunes sit together.
    double levelDb = 0;
    std::vector<MidiPart> parts;

    std::uint32_t BarTicks() const { return division * 4u / beatUnit * barBeats; }
    std::uint32_t EndTick() const { return BarTicks() * bars; }
};

// Every track ends exactly on the last bar line, so the tune loops without a
// gap. Throws std::runtime_error for a note that would outlast the tune.
std::vector<std::uint8_t> WriteSmf(const MidiTune& tune);

}  // namespace assets
