#include "Midi.h"
#include "TunePresets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using platform::TunePreset;

bool Has(const std::vector<TunePreset>& presets, TunePreset preset) {
    return std::find(presets.begin(), presets.end(), preset) != presets.end();
}

// The game's tunes: a program a part, and the drum kit (its program is never sent).
TEST(TunePresets, EachPartsProgramAndTheDrumKitFromItsBank) {
    assets::MidiTune tune{.name = "t", .bars = 1, .parts = {}};
    for (auto [channel, program] : {std::pair{0, 30}, {3, 48}, {9, 25}}) {
        tune.parts.push_back({.name = "p", .channel = static_cast<std::uint8_t>(channel),
                              .program = static_cast<std::uint8_t>(program), .volume = 100, .pan = 64,
                              .notes = {{0, 100, 60, 100}}});
    }
    const std::vector<std::uint8_t> bytes = assets::WriteSmf(tune);
    const auto presets = platform::PresetsOfTune(bytes.data(), bytes.size());
    EXPECT_TRUE(Has(presets, {0, 30}) && Has(presets, {0, 48}));
    EXPECT_TRUE(Has(presets, {0, 0}) && Has(presets, {128, 0}));  // every channel's before its program change
}

// A bank select, running status, system exclusive and meta events in between;
// a track cut short keeps what came before the cut.
TEST(TunePresets, BankSelectsRunningStatusAndACutTrack) {
    std::vector<std::uint8_t> bytes = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 1, 0xe0,
                                       'M', 'T', 'r', 'k', 0, 0, 0, 33,
                                       0, 0xf0, 3, 0x7e, 0x7f, 0xf7,         // system exclusive
                                       0, 0xb2, 0, 8, 0, 32, 1,               // bank 8 on channel 3, running status
                                       0, 0xc2, 5,                            // program 5 there
                                       0x81, 0x00, 0xff, 0x01, 2, 'h', 'i',   // a meta event after a long delta
                                       0, 0xc4, 7, 0, 7,                      // program 7 twice, by running status
                                       0, 0xc9, 16,                           // drum kit 16
                                       0, 0xc2};                              // cut: no program byte
    const auto presets = platform::PresetsOfTune(bytes.data(), bytes.size());
    EXPECT_TRUE(Has(presets, {8, 5}) && Has(presets, {0, 7}) && Has(presets, {128, 16}));
    EXPECT_FALSE(Has(presets, {0, 5}) || Has(presets, {1, 5}) || Has(presets, {0, 16}));
    EXPECT_EQ(std::count(presets.begin(), presets.end(), TunePreset{0, 7}), 1);
    for (std::size_t size = 0; size < bytes.size(); ++size) platform::PresetsOfTune(bytes.data(), size);  // never past the end
}

}  // namespace
