// The SDL back ends without a display or a sound card (dummy drivers): they
// must run through, silently where they cannot sound.
#include "PlayerBackends.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

namespace {

TEST(SdlSmoke, SystemWorksWithoutADisplay) {
    auto system = platform::MakeSdlSystem();
    testing::internal::CaptureStderr();
    system->MessageBox("Robot module missing.", "Error");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: Robot module missing.\n") << "no display: to stderr";
    system->Sleep(1);
    EXPECT_GT(system->ClockSeconds(), 1'500'000'000u);  // the wall clock: seeds differ from run to run
    EXPECT_EQ(system->CurrentDirectory(), std::filesystem::current_path().string());
}

TEST(SdlSmoke, MusicRunsThroughStageChanges) {
    ScratchFolder folder;
    folder.Write("Start.mid", TinyMidi());
    folder.Write("Select.mid", TinyMidi());
    auto music = platform::MakeFluidSynthMusic();
    // The set-up and the stops have nothing to refuse here: they only have to run through.
    music->Start();
    music->CreatePerformance();
    music->InitialisePerformance();
    music->CreateLoader();
    music->SetSearchDirectory(folder.Path());
    music->AddDefaultPort();
    EXPECT_EQ(music->LoadSegment("Missing.mid"), nullptr);
    for (const char* name : {"Start.mid", "Select.mid"}) {
        auto* tune = music->LoadSegment(name);
        ASSERT_NE(tune, nullptr) << name;
        EXPECT_TRUE(music->MarkStandardMidi(tune) && music->DownloadInstruments(tune)) << name;
        music->SetLoopPoints(tune, 0, 0);
        music->SetRepeats(tune, 65536);
        auto* state = music->Play(tune);
        EXPECT_NE(state, nullptr);
        music->StopAll(true);
        EXPECT_TRUE(music->UnloadInstruments(tune));  // released while it fades
        music->ReleaseSegment(tune);
        music->ReleaseState(state);
    }
    music->StopAll(false);
    music->CloseDown();
    music->ReleasePerformance();
}

}  // namespace
