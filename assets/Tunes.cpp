#include "Tunes.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string_view>

namespace assets {
namespace {

using Text = std::string_view;

// Drum kit keys (General MIDI, channel 10).
constexpr std::uint8_t kKick = 36, kSideStick = 37, kSnare = 38, kClap = 39, kClosedHat = 42,
                       kPedalHat = 44, kOpenHat = 46, kLowTom = 45, kMidTom = 47, kHighTom = 50,
                       kCrash = 49, kRide = 51;

// "C4" is 60; "F#3", "Bb2" as written.
std::uint8_t Key(Text name) {
    static constexpr int kPitch[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    if (name.empty() || name[0] < 'A' || name[0] > 'G') throw std::runtime_error("bad note " + std::string(name));
    int pitch = kPitch[name[0] - 'A'];
    std::size_t i = 1;
    if (i < name.size() && (name[i] == '#' || name[i] == 'b')) pitch += name[i++] == '#' ? 1 : -1;
    if (i >= name.size()) throw std::runtime_error("no octave in " + std::string(name));
    const int octave = std::stoi(std::string(name.substr(i)));
    return static_cast<std::uint8_t>((octave + 1) * 12 + pitch);
}

// Tokens between spaces; "|" marks bar lines for the reader and separates too.
std::vector<Text> Tokens(Text text) {
    std::vector<Text> out;
    auto gap = [](char c) { return c == ' ' || c == '|'; };
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && gap(text[i])) ++i;
        std::size_t j = i;
        while (j < text.size() && !gap(text[j])) ++j;
        if (j > i) out.push_back(text.substr(i, j - i));
        i = j;
    }
    return out;
}

std::string Repeat(Text bar, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += bar;
    return out;
}

// A slight, fixed unevenness so repeated notes do not sound machine-stamped.
std::uint8_t Humanise(std::uint8_t velocity, std::size_t index) {
    return static_cast<std::uint8_t>(velocity + static_cast<int>(index * 7 % 5) - 2);
}

class Writer {
public:
    Writer(MidiTune& tune, MidiPart& part) : tune_(tune), part_(part) {}

    // One token per step: a note name strikes, "-" holds the note before, "." rests.
    void Line(std::uint32_t step, Text text, std::uint8_t velocity) {
        std::uint32_t at = 0;
        std::size_t held = SIZE_MAX;
        for (Text token : Tokens(text)) {
            if (token == "-") {
                if (held != SIZE_MAX) part_.notes[held].length += step;
            } else if (token == ".") {
                held = SIZE_MAX;
            } else {
                held = part_.notes.size();
                part_.notes.push_back({at, step, Key(token), Humanise(velocity, held)});
            }
            at += step;
        }
        Fills(at);
    }

    // One pattern per chord, chords in order. In the pattern 'x' strikes the
    // whole chord, '1'..'4' one of its notes, 'O' the first an octave up, '5'
    // a fifth above the first; '-' holds, '.' rests.
    void Comp(std::uint32_t step, Text pattern, Text chords, std::uint8_t velocity) {
        std::uint32_t at = 0;
        for (Text chord : Split(chords)) {
            std::vector<std::uint8_t> keys;
            for (Text name : Tokens(chord)) keys.push_back(Key(name));
            std::vector<std::size_t> held;
            for (char c : pattern) {
                if (c == '-') {
                    for (std::size_t h : held) part_.notes[h].length += step;
                } else if (c == '.') {
                    held.clear();
                } else {
                    std::vector<std::uint8_t> strike;
                    if (c == 'x') strike = keys;
                    else if (c >= '1' && c <= '4') strike = {keys.at(static_cast<std::size_t>(c - '1'))};
                    else if (c == 'O') strike = {static_cast<std::uint8_t>(keys[0] + 12)};
                    else if (c == '5') strike = {static_cast<std::uint8_t>(keys[0] + 7)};
                    else throw std::runtime_error("bad pattern step in " + part_.name);
                    held.clear();
                    for (std::uint8_t k : strike) {
                        held.push_back(part_.notes.size());
                        part_.notes.push_back({at, step, k, Humanise(velocity, part_.notes.size())});
                    }
                }
                at += step;
            }
        }
        Fills(at);
    }

    // One character per step for one drum: 'x' a hit, 'o' a softer one.
    void Drum(std::uint32_t step, std::uint8_t key, Text pattern, std::uint8_t velocity) {
        std::uint32_t at = 0;
        for (char c : pattern) {
            if (c == 'x' || c == 'o')
                part_.notes.push_back({at, step, key, static_cast<std::uint8_t>(c == 'x' ? velocity : velocity * 2 / 3)});
            at += step;
        }
        Fills(at);
    }

    void Hit(std::uint32_t bar, std::uint8_t key, std::uint8_t velocity) {
        part_.notes.push_back({bar * tune_.BarTicks(), tune_.BarTicks() / 2, key, velocity});
    }

private:
    // Chords are separated by commas.
    static std::vector<Text> Split(Text chords) {
        std::vector<Text> out;
        std::size_t i = 0;
        while (i <= chords.size()) {
            const std::size_t j = std::min(chords.find(',', i), chords.size());
            out.push_back(chords.substr(i, j - i));
            i = j + 1;
        }
        return out;
    }

    // A line that ends short of the tune, or runs past it, is a typing slip.
    void Fills(std::uint32_t end) const {
        if (end != tune_.EndTick())
            throw std::runtime_error(tune_.name + ": a line of " + part_.name + " lasts " + std::to_string(end) +
                                     " ticks, the tune " + std::to_string(tune_.EndTick()));
    }

    MidiTune& tune_;
    MidiPart& part_;
};

MidiPart& AddPart(MidiTune& t, std::string name, std::uint8_t channel, std::uint8_t program, std::uint8_t volume,
                  std::uint8_t pan) {
    // Writers hold references into the parts: growing the vector must not move them.
    if (t.parts.size() == t.parts.capacity()) throw std::runtime_error(t.name + ": too many parts");
    t.parts.push_back({std::move(name), channel, program, volume, pan, {}});
    return t.parts.back();
}

MidiTune Tune(std::string name, double bpm, std::uint8_t barBeats, std::uint8_t beatUnit, std::uint32_t bars) {
    MidiTune t;
    t.name = std::move(name);
    t.beatsPerMinute = bpm;
    t.barBeats = barBeats;
    t.beatUnit = beatUnit;
    t.bars = bars;
    t.parts.reserve(8);  // parts are filled through references
    return t;
}

constexpr std::uint32_t k8th = 240, k16th = 120;

// The title screen: a brass march in A minor.
MidiTune StartTune() {
    MidiTune t = Tune("Vorntak title march", 112, 4, 4, 8);
    t.levelDb = -6.4;
    Writer(t, AddPart(t, "Brass lead", 0, 61, 110, 64))
        .Line(k8th,
              "A4 - - B4 C5 - E5 - | F5 - E5 - C5 - A4 - | G4 - - A4 C5 - G5 - | G5 - F5 E5 D5 - - - |"
              "E5 - - D5 C5 - E5 - | A5 - G5 F5 E5 - C5 - | D5 - - E5 F5 - D5 - | B4 - G#4 - E4 - - -",
              100);
    const Text chords = "A3 C4 E4, F3 A3 C4, G3 C4 E4, G3 B3 D4, A3 C4 E4, F3 A3 C4, G3 B3 D4, G#3 B3 E4";
    Writer(t, AddPart(t, "Strings", 1, 48, 80, 40)).Comp(k8th, "x-------", chords, 70);
    Writer(t, AddPart(t, "Bass", 2, 33, 100, 64)).Comp(k8th, "1.1.5.O.", "A2,F2,C3,G2,A2,F2,G2,E2", 95);
    Writer(t, AddPart(t, "Timpani", 3, 47, 90, 80)).Comp(k8th, "1...1...", "A2,F2,C3,G2,A2,F2,G2,E2", 85);
    MidiPart& drums = AddPart(t, "Drums", 9, 0, 100, 64);
    Writer d(t, drums);
    d.Drum(k16th, kKick, Repeat("x.......x.......", 8), 100);
    d.Drum(k16th, kSnare, Repeat("....x..o....x.o.", 7) + "....x..o....oxxx", 95);
    d.Drum(k16th, kClosedHat, Repeat("x.x.x.x.x.x.x.x.", 8), 70);
    d.Hit(0, kCrash, 100);
    d.Hit(4, kCrash, 90);
    return t;
}

// Choosing robots: an unhurried jazz groove on vibraphone.
MidiTune SelectTune() {
    MidiTune t = Tune("Vorntak robot select", 96, 4, 4, 8);
    t.levelDb = -0.7;
    Writer(t, AddPart(t, "Vibraphone", 0, 11, 100, 72))
        .Line(k8th,
              "F5 - A5 - C6 - A5 - | B5 - - G5 F5 - D5 - | E5 - G5 - B5 - - - | A5 - G5 - E5 - C5 - |"
              "D5 - F5 A5 C6 - B5 A5 | G5 - F5 - D5 - B4 - | E5 - G5 - B5 - D6 - | C#6 - - A5 G5 - E5 -",
              90);
    Writer(t, AddPart(t, "Electric piano", 1, 4, 80, 48))
        .Comp(k8th, "x-.x-...",
              "D3 F3 A3 C4, D3 F3 G3 B3, C3 E3 G3 B3, C3 E3 G3 A3, D3 F3 A3 C4, D3 F3 G3 B3, D3 E3 G3 B3, C#3 E3 G3 A3",
              65);
    Writer(t, AddPart(t, "Bass", 2, 32, 100, 64)).Comp(k8th, "1-5-O-5-", "D2,G2,C2,A1,D2,G2,E2,A1", 90);
    Writer d(t, AddPart(t, "Drums", 9, 0, 90, 64));
    d.Drum(k16th, kRide, Repeat("x...x.x.x...x.x.", 8), 75);
    d.Drum(k16th, kKick, Repeat("x.........x.....", 7) + "x.........x.x.x.", 80);
    d.Drum(k16th, kSideStick, Repeat("....x.......x...", 8), 70);
    d.Drum(k16th, kPedalHat, Repeat("....x.......x...", 8), 55);
    return t;
}

// Fight 1: driving guitar rock in E minor.
MidiTune FightTune1() {
    MidiTune t = Tune("Vorntak fight: steel", 152, 4, 4, 16);
    t.levelDb = -10.1;
    Writer(t, AddPart(t, "Lead guitar", 0, 29, 105, 76))
        .Line(k8th,
              "E5 - B4 - E5 G5 F#5 E5 | G5 - - E5 C5 - E5 - | F#5 - D5 - A4 - D5 F#5 | D#5 - - F#5 B5 - - - |"
              "E5 - B4 - E5 G5 B5 A5 | G5 - E5 - C6 - B5 - | A5 - F#5 - D5 - A5 - | B5 - A5 - F#5 - D#5 - |"
              "E5 - - - G5 - - - | F#5 - - - A5 - - - | B5 - - - - - A5 G5 | G5 - F#5 - E5 - D5 - |"
              "C6 - - - B5 - A5 - | A5 - - - F#5 - D5 - | D#5 - F#5 - B5 - A5 - | F#5 - - - D#5 - B4 -",
              100);
    const Text a = "E3 B3 E4, C3 G3 C4, D3 A3 D4, B2 F#3 B3, E3 B3 E4, C3 G3 C4, D3 A3 D4, B2 F#3 B3,";
    const Text b = "C3 G3 C4, D3 A3 D4, E3 B3 E4, E3 B3 E4, C3 G3 C4, D3 A3 D4, B2 F#3 B3, B2 F#3 B3";
    Writer(t, AddPart(t, "Rhythm guitar", 1, 30, 85, 40)).Comp(k8th, "x.xx.xx.", std::string(a) + std::string(b), 90);
    Writer(t, AddPart(t, "Bass", 2, 34, 100, 64))
        .Comp(k8th, "1111O151", "E2,C2,D2,B1,E2,C2,D2,B1,C2,D2,E2,E2,C2,D2,B1,B1", 100);
    Writer d(t, AddPart(t, "Drums", 9, 0, 110, 64));
    const std::string groove = Repeat("x.x...x.x.x...x.", 16);
    d.Drum(k16th, kKick, groove, 110);
    const std::string backbeat = Repeat("....x.......x...", 7) + "....x.......xoxx";
    d.Drum(k16th, kSnare, backbeat + backbeat, 105);
    d.Drum(k16th, kClosedHat, Repeat("x.x.x.x.x.x.x.x.", 15) + "x.x.x.x.x.x.....", 80);
    d.Drum(k16th, kMidTom, Repeat("................", 15) + "............o...", 90);
    d.Drum(k16th, kLowTom, Repeat("................", 15) + "..............xx", 95);
    d.Hit(0, kCrash, 110);
    d.Hit(8, kCrash, 105);
    return t;
}

// Fight 2: a fast synth chase in D minor.
MidiTune FightTune2() {
    MidiTune t = Tune("Vorntak fight: circuit", 170, 4, 4, 16);
    t.levelDb = -17.9;
    Writer(t, AddPart(t, "Saw lead", 0, 81, 100, 64))
        .Line(k8th,
              "D5 - - A4 D5 - F5 - | F5 - D5 - Bb4 - D5 - | E5 - - G5 - - E5 C5 | C#5 - - - E5 - A5 - |"
              "D6 - - C6 A5 - F5 - | D6 - - C6 Bb5 - F5 - | G5 - Bb5 - D6 - C6 Bb5 | A5 - - - - - - - |"
              "G5 - - - D5 - G5 - | Bb5 - A5 - G5 - D5 - | F5 - - - A5 - - - | D6 - C6 - A5 - F5 - |"
              "F5 - G5 - A5 - Bb5 - | C6 - Bb5 - A5 - G5 - | A5 - - - C#6 - - - | E6 - - - - - - -",
              95);
    const Text arp =
        "D4 F4 A4 D5, Bb3 D4 F4 Bb4, C4 E4 G4 C5, A3 C#4 E4 A4, D4 F4 A4 D5, Bb3 D4 F4 Bb4, G3 Bb3 D4 G4, A3 C#4 E4 A4,"
        "G3 Bb3 D4 G4, G3 Bb3 D4 G4, D4 F4 A4 D5, D4 F4 A4 D5, Bb3 D4 F4 Bb4, C4 E4 G4 C5, A3 C#4 E4 A4, A3 C#4 E4 A4";
    Writer(t, AddPart(t, "Square arpeggio", 1, 80, 70, 30)).Comp(k16th, "1234321412343214", arp, 75);
    Writer(t, AddPart(t, "Warm pad", 3, 89, 60, 96)).Comp(k16th, "x---------------", arp, 55);
    Writer(t, AddPart(t, "Synth bass", 2, 39, 105, 64))
        .Comp(k16th, "1.1.O.1.1.1.O.5.", "D2,Bb1,C2,A1,D2,Bb1,G1,A1,G1,G1,D2,D2,Bb1,C2,A1,A1", 100);
    Writer d(t, AddPart(t, "Drums", 9, 0, 105, 64));
    d.Drum(k16th, kKick, Repeat("x...x...x...x...", 16), 110);
    d.Drum(k16th, kClap, Repeat("....x.......x...", 15) + "....x.....x.xxxx", 100);
    d.Drum(k16th, kClosedHat, Repeat("xx.xxx.xxx.xxx.x", 16), 70);
    d.Drum(k16th, kOpenHat, Repeat("..x...x...x...x.", 16), 75);
    d.Hit(0, kCrash, 105);
    d.Hit(8, kCrash, 100);
    return t;
}

// Fight 3: a heavy six-eight battle hymn in C minor.
MidiTune FightTune3() {
    MidiTune t = Tune("Vorntak fight: siege", 162, 6, 8, 16);
    t.levelDb = -13.8;
    Writer(t, AddPart(t, "Synth brass", 0, 62, 105, 60))
        .Line(k8th,
              "C5 - Eb5 G5 - Eb5 | C6 - - Bb5 Ab5 G5 | F5 - D5 Bb4 - D5 | D5 - B4 G4 - - |"
              "C5 - Eb5 G5 - C6 | Eb6 - D6 C6 - Ab5 | F5 - Ab5 C6 - Ab5 | G5 - - B5 - D6 |"
              "C6 - - Eb6 - - | D6 - - F6 - - | Eb6 - D6 C6 - G5 | C6 - - - - - |"
              "Ab5 - G5 F5 - C5 | B4 - D5 G5 - B5 | C6 - G5 Eb5 - G5 | D5 - - B4 - -",
              100);
    Writer(t, AddPart(t, "Choir", 1, 52, 75, 40))
        .Comp(k8th, "x-----",
              "C4 Eb4 G4, C4 Eb4 Ab4, D4 F4 Bb4, D4 G4 B4, C4 Eb4 G4, C4 Eb4 Ab4, C4 F4 Ab4, D4 G4 B4,"
              "C4 Eb4 Ab4, D4 F4 Bb4, C4 Eb4 G4, C4 Eb4 G4, C4 F4 Ab4, D4 G4 B4, C4 Eb4 G4, D4 G4 B4",
              70);
    Writer(t, AddPart(t, "Strings", 3, 48, 70, 90))
        .Comp(k16th, "121312131213",
              "C3 Eb3 G3, Ab2 C3 Eb3, Bb2 D3 F3, G2 B2 D3, C3 Eb3 G3, Ab2 C3 Eb3, F2 Ab2 C3, G2 B2 D3,"
              "Ab2 C3 Eb3, Bb2 D3 F3, C3 Eb3 G3, C3 Eb3 G3, F2 Ab2 C3, G2 B2 D3, C3 Eb3 G3, G2 B2 D3",
              65);
    Writer(t, AddPart(t, "Bass", 2, 38, 105, 64))
        .Comp(k8th, "1.1O.5", "C2,Ab1,Bb1,G1,C2,Ab1,F1,G1,Ab1,Bb1,C2,C2,F1,G1,C2,G1", 100);
    Writer d(t, AddPart(t, "Drums", 9, 0, 110, 64));
    const std::string plain = "............";
    const std::string fill = plain + plain + plain;  // toms answer every fourth bar
    d.Drum(k16th, kKick, Repeat("x....xx.....", 16), 110);
    d.Drum(k16th, kSnare, Repeat("......x.....", 16), 100);
    d.Drum(k16th, kClosedHat, Repeat(Repeat("x.x.x.x.x.x.", 3) + "x.x.x.x.....", 4), 75);
    d.Drum(k16th, kHighTom, Repeat(fill + "........x...", 4), 95);
    d.Drum(k16th, kMidTom, Repeat(fill + ".........x..", 4), 95);
    d.Drum(k16th, kLowTom, Repeat(fill + "..........xx", 4), 100);
    d.Hit(0, kCrash, 110);
    d.Hit(8, kCrash, 105);
    return t;
}

}  // namespace

std::vector<TuneFile> MakeTunes() {
    return {{"Start.mid", StartTune()},
            {"Select.mid", SelectTune()},
            {"Fighting1.mid", FightTune1()},
            {"Fighting2.mid", FightTune2()},
            {"Fighting3.mid", FightTune3()}};
}

}  // namespace assets
