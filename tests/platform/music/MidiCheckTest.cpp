#include "MidiCheck.h"
#include "SynthVerdict.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// One file a kind of tune, named for what the synthesiser does with it:
// "plays-..." or "refused-...". The fuzz target starts from them too.
TEST(MidiCheck, AcceptsExactlyTheKindsOfTuneTheSynthesiserPlays) {
    int kinds = 0;
    for (const auto& entry : std::filesystem::directory_iterator(TUNE_KINDS)) {
        const std::string name = entry.path().filename().string();
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        const bool plays = name.starts_with("plays-");
        EXPECT_EQ(platform::IsPlayableMidi(bytes.data(), bytes.size()), plays) << name;
        EXPECT_EQ(synth_verdict::Plays(bytes.data(), bytes.size()), plays) << name;
        ++kinds;
    }
    EXPECT_GE(kinds, 30);
}

}  // namespace
