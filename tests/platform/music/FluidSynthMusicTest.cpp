#include "PlayerBackends.h"

#include "Music.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// The players' back end loads through the tune check: its player would spin
// on the one it refuses.
TEST(FluidSynthMusic, ATuneTheSynthesiserCannotPlayIsRefusedAtLoad) {
    auto music = platform::MakeFluidSynthMusic();
    music->SetSearchDirectory(TUNE_KINDS);
    EXPECT_EQ(music->LoadSegment("Missing.mid"), nullptr);
    EXPECT_NE(music->LoadSegment("plays-no-end-of-track.mid"), nullptr);
}

// Bytes after the last track are no part of the tune, so a playable tune padded
// to the limit still loads; one byte more and it is refused as too large.
TEST(FluidSynthMusic, ATuneLoadsUpToTheSizeLimitAndOverItIsRefusedAsTooLarge) {
    std::ifstream in(std::string(TUNE_KINDS) + "/plays-no-end-of-track.mid", std::ios::binary);
    std::vector<char> tune{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_FALSE(tune.empty());
    const auto folder = std::filesystem::temp_directory_path() / ("vorntak-big-tune-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    auto music = platform::MakeFluidSynthMusic();
    music->SetSearchDirectory(folder.string());
    for (std::size_t size : {platform::kMaxTuneFileBytes, platform::kMaxTuneFileBytes + 1}) {
        tune.resize(size);
        std::ofstream(folder / "Big.mid", std::ios::binary).write(tune.data(), static_cast<std::streamsize>(size));
        const bool loaded = music->LoadSegment("Big.mid") != nullptr;
        EXPECT_EQ(loaded, size == platform::kMaxTuneFileBytes) << size;
        if (!loaded) {
            EXPECT_EQ(music->LastRefusal(), platform::TuneRefusal::TooLarge) << size;
        }
    }
    EXPECT_EQ(music->LoadSegment("Missing.mid"), nullptr);
    EXPECT_EQ(music->LastRefusal(), platform::TuneRefusal::Unplayable);
    std::filesystem::remove_all(folder);
}

}  // namespace
