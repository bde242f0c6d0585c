#include "MidiCheck.h"
#include "SynthVerdict.h"
#include "TuneBytes.h"

#include <gtest/gtest.h>

namespace {

struct Kind {
    const char* what;
    Bytes bytes;
};

bool Checked(const Bytes& bytes) { return platform::IsPlayableMidi(bytes.data(), bytes.size()); }
bool SynthPlays(const Bytes& bytes) { return synth_verdict::Plays(bytes.data(), bytes.size()); }

// A track holding one meta event of the type and length before the note.
Bytes WithMeta(std::uint8_t type, std::uint8_t length) {
    Bytes body = {0, 0xFF, type, length};
    body.resize(body.size() + length, 1);
    return Smf(96, 1, {Join(body, kTrack)});
}

TEST(MidiCheck, RefusesWhatTheSynthesiserCannotReadOrLastsNoTime) {
    Bytes longHeader = Smf(96, 1, {kTrack});
    longHeader[7] = 7;
    longHeader.insert(longHeader.begin() + 14, 0);
    Bytes cut = Smf(96, 1, {kTrack});
    cut.resize(cut.size() - 3);
    const Kind kinds[] = {
        {"a header of 7 bytes", longHeader},
        {"SMPTE timing", Smf(0xE728, 1, {kTrack})},
        {"format 3", Join(Bytes{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 3, 0, 1, 0, 96}, Chunk("MTrk", kTrack))},
        {"another chunk before the first track", Join(Bytes{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 1, 0, 96},
                                                      Join(Chunk("XFIH", {1, 2}), Chunk("MTrk", kTrack)))},
        {"a tempo of 4 bytes", WithMeta(0x51, 4)},
        {"an SMPTE offset of 4 bytes", WithMeta(0x54, 4)},
        {"a time signature of 3 bytes", WithMeta(0x58, 3)},
        {"a key signature of 3 bytes", WithMeta(0x59, 3)},
        {"an end of track of 1 byte", Smf(96, 1, {Join(kNote, {0, 0xFF, 0x2F, 1, 0})})},
        {"an F7 system exclusive", Smf(96, 1, {Join(Bytes{0, 0xF7, 1, 0}, kTrack)})},
        {"a data byte with no status", Smf(96, 1, {{0, 60, 64, 0x60, 0xFF, 0x2F, 0}})},
        {"a track cut short", cut},
        {"a declared track missing", Smf(96, 2, {kTrack})},
        {"no tracks", Smf(96, 0, {})},
        // The reader weighs the count's high byte as 2^16 and takes its bytes as signed.
        {"a count of 0x0180 with as many tracks", Smf(96, 0x0180, std::vector<Bytes>(0x0180, kTrack))},
        {"a count of 0x0080 with as many tracks", Smf(96, 0x0080, std::vector<Bytes>(0x0080, kTrack))},
        {"notes only at tick 0", Smf(96, 1, {{0, 0x90, 60, 64, 0, 0x80, 60, 0, 0, 0xFF, 0x2F, 0}})},
        // The player drops a time signature and the time before it: the tune lasts no time.
        {"time only before a dropped event", Smf(96, 1, {{0, 0x90, 60, 64, 0x60, 0xFF, 0x58, 4, 4, 2, 24, 8}})},
    };
    for (const auto& [what, bytes] : kinds) {
        EXPECT_FALSE(Checked(bytes)) << what;
        EXPECT_FALSE(SynthPlays(bytes)) << what;
    }
    // The issue's own tune, byte for byte.
    const Bytes reported = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 0x60, 'M', 'T', 'r', 'k', 0, 0, 0, 0x14, 0, 0xFF, 0x51,
                            4, 7, 0xA1, 0x20, 0, 0, 0x90, 0x3C, 0x40, 0x60, 0x80, 0x3C, 0x40, 0, 0xFF, 0x2F, 0};
    EXPECT_FALSE(Checked(reported));
}

TEST(MidiCheck, AcceptsWhatTheSynthesiserPlays) {
    Bytes overrun = Smf(96, 1, {kTrack});
    overrun[21] -= 2;  // the end of track runs past its chunk, into the bytes after it
    const Kind kinds[] = {
        {"notes, running status and a system exclusive", Smf(480, 3, {kTrack, {0, 0x90, 60, 64, 0x60, 60, 0, 0, 0xFF, 0x2F, 0},
                                                                       {0, 0xF0, 2, 0x7E, 0xF7, 0x60, 0xFF, 0x2F, 0}})},
        {"no end of track", Smf(96, 1, {kNote})},
        // The status after a meta event is the meta event's: the bytes read as another meta event.
        {"running status over a meta event", Smf(96, 1, {{0, 0x90, 60, 64, 0, 0xFF, 1, 0, 0x60, 60, 0, 0, 0xFF, 0x2F, 0}})},
        {"running status over a system exclusive", Smf(96, 1, {Join({0, 0x90, 60, 64, 0, 0xF0, 1, 0xF7, 0x60, 0}, kTrack)})},
        {"an empty track beside a playing one", Smf(96, 2, {kTrack, {}})},
        {"an event running past its chunk", overrun},
        {"another chunk after the last track", Join(Smf(96, 1, {kTrack}), Chunk("XFIH", {1, 2}))},
        {"a track longer than the file", Join(Smf(96, 1, {}), Join(Bytes{'M', 'T', 'r', 'k', 0, 1, 0, 0}, kTrack))},
        {"time before a kept text event", Smf(96, 1, {{0, 0x90, 60, 64, 0x60, 0xFF, 1, 1, 'x'}})},
    };
    for (const auto& [what, bytes] : kinds) {
        EXPECT_TRUE(Checked(bytes)) << what;
        EXPECT_TRUE(SynthPlays(bytes)) << what;
    }
}

}  // namespace
