#include "HeadlessBackends.h"
#include "PlayerBackends.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <map>

using platform::MusicStep;

namespace {

constexpr MusicStep kSteps[] = {
    MusicStep::Start, MusicStep::CreatePerformance, MusicStep::InitialisePerformance, MusicStep::CreateLoader,
    MusicStep::AddDefaultPort, MusicStep::LoadSegment, MusicStep::MarkStandardMidi, MusicStep::DownloadInstruments,
    MusicStep::UnloadInstruments, MusicStep::StopAll, MusicStep::CloseDown,
};

TEST(HeadlessMusic, RefusedStepFailsAndNoOther) {
    ScratchFolder folder;
    folder.Write("Start.mid", TinyMidi());
    for (MusicStep refused : kSteps) {
        platform::HeadlessMusic music;
        music.SetSearchDirectory(folder.Path());
        music.Refuse(refused);
        std::map<MusicStep, bool> ok = {
            {MusicStep::Start, music.Start()},
            {MusicStep::CreatePerformance, music.CreatePerformance()},
            {MusicStep::InitialisePerformance, music.InitialisePerformance()},
            {MusicStep::CreateLoader, music.CreateLoader()},
            {MusicStep::AddDefaultPort, music.AddDefaultPort()},
        };
        if (auto* tune = music.LoadSegment("Start.mid"); (ok[MusicStep::LoadSegment] = tune != nullptr)) {
            ok[MusicStep::MarkStandardMidi] = music.MarkStandardMidi(tune);
            ok[MusicStep::DownloadInstruments] = music.DownloadInstruments(tune);
            ok[MusicStep::UnloadInstruments] = music.UnloadInstruments(tune);
        }
        ok[MusicStep::StopAll] = music.StopAll(true);
        ok[MusicStep::CloseDown] = music.CloseDown();
        for (auto [step, result] : ok) EXPECT_EQ(result, step != refused) << int(step) << " refused " << int(refused);
    }
}

TEST(HeadlessMusic, TunesComeFromTheSearchDirectoryNotTheCurrentOne) {
    ScratchFolder startUp, later;
    startUp.Write("Start.mid", TinyMidi());
    later.Write("Select.mid", TinyMidi());
    platform::HeadlessMusic music;
    music.SetSearchDirectory(startUp.Path());
    InFolder moved(later.Path());
    EXPECT_NE(music.LoadSegment("Start.mid"), nullptr);
    EXPECT_EQ(music.LoadSegment("Select.mid"), nullptr);
}

TEST(HeadlessMusic, OnlyStandardMidiFilesLoad) {
    ScratchFolder folder;
    folder.Write("Riff.mid", {'R', 'I', 'F', 'F', 26, 0, 0, 0, 'R', 'M', 'I', 'D', 'd', 'a', 't', 'a'});
    folder.Write("Short.mid", {'M', 'T', 'h', 'd', 0, 0, 0, 6});
    platform::HeadlessMusic music;
    music.SetSearchDirectory(folder.Path());
    for (const char* name : {"Riff.mid", "Short.mid", "Missing.mid"}) EXPECT_EQ(music.LoadSegment(name), nullptr) << name;
}

TEST(HeadlessMusic, RecordsAPlayAndItsEnd) {
    ScratchFolder folder;
    folder.Write("Start.mid", TinyMidi());
    platform::HeadlessMusic music;
    music.SetSearchDirectory(folder.Path());
    auto* tune = music.LoadSegment("Start.mid");
    music.SetLoopPoints(tune, 0, 0);
    music.SetRepeats(tune, 65536);
    auto* state = music.Play(tune);
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(music.Playing(), "Start.mid");
    music.StopAll(true);
    EXPECT_EQ(music.Playing(), "");
    music.UnloadInstruments(tune);
    music.ReleaseSegment(tune);
    music.ReleaseState(state);
    EXPECT_EQ(music.LiveSegments() + music.LiveStates(), 0u);
    EXPECT_EQ(music.Calls(), (std::vector<std::string>{"SetSearchDirectory " + folder.Path(), "LoadSegment Start.mid",
                                                       "SetLoopPoints Start.mid 0 0", "SetRepeats Start.mid 65536",
                                                       "Play Start.mid", "StopAll measure", "UnloadInstruments Start.mid",
                                                       "ReleaseSegment Start.mid", "ReleaseState"}));
}

}  // namespace
