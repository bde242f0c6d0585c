#include "HeadlessBackends.h"
#include "PlayerBackends.h"

#include "TestFiles.h"

#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <chrono>

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

TEST_F(WaveFiles, SdlPlaysGoodAndBrokenFilesSafely) {
    auto system = platform::MakeSdlSystem();
    for (const char* name : {"Cut1.wav", "Missing.wav", "Truncated.wav", "Lying.wav", "Float.wav", "", "Cut1.wav"})
        system->PlayWaveFile(name[0] ? folder.Path() + "/" + name : "");
    system->PlayWaveFile(folder.Path());  // a folder is no file
}

// The disc's cut sound on the real audio device: the call returns while it
// plays, a stop or a file that cannot play leaves the WAVE channel silent.
TEST_F(WaveFiles, SdlPlaysAsynchronouslyAndStopsOnAnEmptyName) {
    folder.Write("Long.wav", Wave(1, 8, 8000, 16000, 16000));  // two seconds
    auto system = platform::MakeSdlSystem();
    const auto start = std::chrono::steady_clock::now();
    system->PlayWaveFile(folder.Path() + "/Long.wav");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_EQ(Mix_Playing(0), 1);
    system->PlayWaveFile("");
    EXPECT_EQ(Mix_Playing(0), 0);
    for (const char* name : {"Missing.wav", "Truncated.wav", "Float.wav"}) {
        system->PlayWaveFile(folder.Path() + "/Long.wav");
        system->PlayWaveFile(folder.Path() + "/" + name);
        EXPECT_EQ(Mix_Playing(0), 0) << name << " plays nothing, nor leaves the last one on";
    }
}

}  // namespace
