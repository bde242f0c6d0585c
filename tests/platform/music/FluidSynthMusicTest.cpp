#include "PlayerBackends.h"

#include <gtest/gtest.h>

namespace {

// The players' back end loads through the tune check: its player would spin
// on the one it refuses.
TEST(FluidSynthMusic, ATuneTheSynthesiserCannotPlayIsRefusedAtLoad) {
    auto music = platform::MakeFluidSynthMusic();
    music->SetSearchDirectory(TUNE_KINDS);
    EXPECT_EQ(music->LoadSegment("refused-tempo-of-4-bytes.mid"), nullptr);
    EXPECT_NE(music->LoadSegment("plays-no-end-of-track.mid"), nullptr);
}

}  // namespace
