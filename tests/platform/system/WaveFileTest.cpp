#include "HeadlessBackends.h"
#include "PlayerBackends.h"

#include "TestFiles.h"

#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <cstdlib>

using platform::HeadlessSystem;

namespace {

// Cut1.wav plays; the others hold a cut-off header, a data chunk claiming far
// more than the file holds, and nothing a mixer plays.
struct WaveFiles : testing::Test {
    ScratchFolder folder;
    void SetUp() override {
        folder.Write("Cut1.wav", Wave(1, 8, 8000, 800, 800));
        auto truncated = Wave(1, 8, 8000, 800, 800);
        truncated.resize(30);  // inside the "fmt " chunk
        folder.Write("Truncated.wav", truncated);
        folder.Write("Lying.wav", Wave(2, 16, 44100, 101, 0x7FFFFFF0));
        folder.Write("Float.wav", Wave(1, 32, 8000, 64, 64));
    }
};

TEST_F(WaveFiles, HeadlessRecordsWhetherEachFileWouldSound) {
    auto system = platform::MakeHeadlessSystem();
    system->currentDirectory = folder.Path();
    for (const char* name : {"Cut1.wav", "Missing.wav", "Truncated.wav", "Lying.wav", "Float.wav", ""})
        system->PlayWaveFile(name);
    EXPECT_EQ(system->wavePlays, (std::vector<HeadlessSystem::WavePlay>{{"Cut1.wav", true, true},
                                                                         {"Missing.wav", false, false},
                                                                         {"Truncated.wav", true, false},
                                                                         {"Lying.wav", true, true},
                                                                         {"Float.wav", true, false},
                                                                         {"", false, false}}));
}

// The player's WAVE files sound on the mixer's reserved channel 0 without
// waiting for their end; a file that cannot play, or no name, leaves it silent,
// stopping what played before.
TEST_F(WaveFiles, SdlPlaysGoodAndBrokenFilesSafely) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    folder.Write("Long.wav", Wave(1, 8, 8000, 80000, 80000));  // ten seconds: still sounding when looked at
    auto system = platform::MakeSdlSystem();
    const std::string good = folder.Path() + "/Long.wav";
    system->PlayWaveFile(good);
    EXPECT_EQ(Mix_Playing(0), 1) << "back before the end of ten seconds of sound";
    for (const char* name : {"Missing.wav", "Truncated.wav", "Float.wav", "", "."}) {
        system->PlayWaveFile(good);
        ASSERT_EQ(Mix_Playing(0), 1) << "before " << name;
        system->PlayWaveFile(name[0] ? folder.Path() + "/" + name : "");  // "." is the folder: no file
        EXPECT_EQ(Mix_Playing(0), 0) << name;
    }
    // Files too short to be seen sounding only have to pass safely.
    system->PlayWaveFile(folder.Path() + "/Lying.wav");
    system->PlayWaveFile(folder.Path() + "/Cut1.wav");
}

}  // namespace
