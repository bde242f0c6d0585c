#include "HeadlessBackends.h"
#include "MidiCheck.h"
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

// A header of `tracks` tracks, then the given track bodies as MTrk chunks.
Bytes Smf(std::uint16_t division, std::uint16_t tracks, const std::vector<Bytes>& bodies) {
    Bytes out = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, std::uint8_t(tracks >> 8), std::uint8_t(tracks),
                 std::uint8_t(division >> 8), std::uint8_t(division)};
    for (const Bytes& body : bodies) {
        const std::size_t n = body.size();
        out.insert(out.end(), {'M', 'T', 'r', 'k', std::uint8_t(n >> 24), std::uint8_t(n >> 16), std::uint8_t(n >> 8), std::uint8_t(n)});
        out.insert(out.end(), body.begin(), body.end());
    }
    return out;
}

bool Playable(const Bytes& bytes) { return platform::IsPlayableMidi(bytes.data(), bytes.size()); }

TEST(HeadlessMusic, ATuneThatCannotPlayToItsEndOrLastsNoTimeIsRefusedAtLoad) {
    const Bytes notes = {0, 0x90, 60, 64, 0x83, 0x60, 0x80, 60, 0, 0, 0xFF, 0x2F, 0};  // a note for 480 ticks
    const Bytes running = {0, 0x90, 60, 64, 0x60, 60, 0, 0, 0xFF, 0x2F, 0};              // its end by running status
    const Bytes sysex = {0, 0xF0, 2, 0x7E, 0xF7, 0x60, 0xFF, 0x2F, 0};
    EXPECT_TRUE(Playable(TinyMidi()));
    EXPECT_TRUE(Playable(Smf(480, 3, {notes, running, sysex})));
    EXPECT_TRUE(Playable(Smf(0xE728, 1, {notes})));  // 25 frames a second, 40 ticks a frame

    Bytes cut = Smf(480, 1, {notes});
    cut.resize(cut.size() - 3);
    Bytes shorter = Smf(480, 1, {notes});
    shorter[21] -= 2;  // the end of track runs past its chunk, into bytes after it
    const std::pair<const char*, Bytes> refused[] = {
        {"notes only at tick 0", Smf(480, 1, {{0, 0x90, 60, 64, 0, 0x80, 60, 0, 0, 0xFF, 0x2F, 0}})},
        {"a data byte with no status", Smf(480, 1, {{0, 60, 64, 0x60, 0xFF, 0x2F, 0}})},
        {"running status after a meta event", Smf(480, 1, {{0, 0x90, 60, 64, 0, 0xFF, 1, 0, 0x60, 60, 0, 0, 0xFF, 0x2F, 0}})},
        {"a track cut short", cut},
        {"an event running past its chunk", shorter},
        {"a sysex longer than its track", Smf(480, 1, {{0x60, 0xF0, 0x7F, 0xF7, 0, 0xFF, 0x2F, 0}})},
        {"one empty track", Smf(480, 2, {notes, {}})},
        {"a declared track missing", Smf(480, 2, {notes})},
        {"no end of track", Smf(480, 1, {{0, 0x90, 60, 64, 0x60, 0x80, 60, 0}})},
        {"division 0", Smf(0, 1, {notes})},
        {"no tracks", Smf(480, 0, {})},
    };
    ScratchFolder folder;
    platform::HeadlessMusic music;
    music.SetSearchDirectory(folder.Path());
    for (const auto& [why, bytes] : refused) {
        EXPECT_FALSE(Playable(bytes)) << why;
        folder.Write("Start.mid", bytes);
        EXPECT_EQ(music.LoadSegment("Start.mid"), nullptr) << why;
    }
    folder.Write("Start.mid", Smf(480, 1, {notes}));
    EXPECT_NE(music.LoadSegment("Start.mid"), nullptr);
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
