// The SDL back ends without a display or a sound card (dummy drivers): they
// must run through, silently where they cannot sound.
#include "PlayerBackends.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

namespace {

TEST(SdlSmoke, SystemWorksWithoutADisplay) {
    auto system = platform::MakeSdlSystem();
    system->MessageBox("Robot module missing.", "Error");  // to stderr
    system->Sleep(1);
    EXPECT_GT(system->ClockSeconds(), 1'500'000'000u);  // the wall clock: seeds differ from run to run
    EXPECT_EQ(system->CurrentDirectory(), std::filesystem::current_path().string());
}

TEST(SdlSmoke, MusicRunsThroughStageChanges) {
    ScratchFolder folder;
    folder.Write("Start.mid", TinyMidi());
    folder.Write("Select.mid", TinyMidi());
    auto music = platform::MakeSdlMusic();
    ASSERT_TRUE(music->Start() && music->CreatePerformance() && music->InitialisePerformance() && music->CreateLoader());
    music->SetSearchDirectory(folder.Path());
    ASSERT_TRUE(music->AddDefaultPort());
    EXPECT_EQ(music->LoadSegment("Missing.mid"), nullptr);
    for (const char* name : {"Start.mid", "Select.mid"}) {
        auto* tune = music->LoadSegment(name);
        ASSERT_TRUE(tune && music->MarkStandardMidi(tune) && music->DownloadInstruments(tune)) << name;
        music->SetLoopPoints(tune, 0, 0);
        music->SetRepeats(tune, 65536);
        auto* state = music->Play(tune);
        EXPECT_NE(state, nullptr);
        EXPECT_TRUE(music->StopAll(true) && music->UnloadInstruments(tune));  // released while it fades
        music->ReleaseSegment(tune);
        music->ReleaseState(state);
    }
    EXPECT_TRUE(music->StopAll(false) && music->CloseDown());
    music->ReleasePerformance();
}

}  // namespace
