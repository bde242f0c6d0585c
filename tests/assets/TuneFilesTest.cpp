#include "MidiCheck.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const char* const kTunes[] = {"Start.mid", "Select.mid", "Fighting1.mid", "Fighting2.mid", "Fighting3.mid"};

struct Event {
    std::uint32_t tick = 0;
    std::uint8_t status = 0, a = 0, b = 0, meta = 0;
    std::vector<std::uint8_t> data;
};
struct Track {
    std::vector<Event> events;
    std::uint32_t end = 0;
};
struct Smf {
    unsigned format = 0, declaredTracks = 0, division = 0;
    std::vector<Track> tracks;
    std::string error;
};

std::uint32_t Be(const std::vector<std::uint8_t>& f, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v = v << 8 | f[at + i];
    return v;
}

// A strict reader: every chunk length must match what its events take.
Smf Parse(const std::vector<std::uint8_t>& f) {
    Smf s;
    try {
        if (f.size() < 14 || std::memcmp(f.data(), "MThd", 4) || Be(f, 4, 4) != 6)
            throw std::runtime_error("no MThd of length 6");
        s.format = Be(f, 8, 2), s.declaredTracks = Be(f, 10, 2), s.division = Be(f, 12, 2);
        for (std::size_t at = 14; at < f.size();) {
            if (at + 8 > f.size() || std::memcmp(&f[at], "MTrk", 4)) throw std::runtime_error("not an MTrk chunk");
            const std::size_t end = at + 8 + Be(f, at + 4, 4);
            if (end > f.size()) throw std::runtime_error("track length runs past the file");
            std::size_t p = at + 8;
            auto next = [&] {
                if (p >= end) throw std::runtime_error("event runs past its track");
                return f[p++];
            };
            auto number = [&] {
                std::uint32_t v = 0;
                for (std::uint8_t c = 0x80; c & 0x80;) v = v << 7 | ((c = next()) & 0x7F);
                return v;
            };
            Track t;
            std::uint32_t tick = 0;
            std::uint8_t running = 0;
            bool ended = false;
            while (p < end) {
                if (ended) throw std::runtime_error("events after the end of track");
                tick += number();
                Event e;
                e.tick = tick;
                e.status = next();
                if (e.status < 0x80) {
                    if (!running) throw std::runtime_error("running status with no status");
                    --p, e.status = running;
                }
                if (e.status == 0xFF) {
                    e.meta = next();
                    for (std::uint32_t n = number(); n; --n) e.data.push_back(next());
                    ended = e.meta == 0x2F;
                } else if (e.status == 0xF0 || e.status == 0xF7) {
                    for (std::uint32_t n = number(); n; --n) next();
                } else {
                    running = e.status;
                    e.a = next();
                    if ((e.status & 0xE0) != 0xC0) e.b = next();
                }
                t.events.push_back(e);
            }
            if (!ended) throw std::runtime_error("track without end of track");
            t.end = tick;
            s.tracks.push_back(t);
            at = end;
        }
    } catch (const std::exception& e) {
        s.error = e.what();
    }
    return s;
}

std::vector<std::uint8_t> Read(const std::string& name) {
    std::ifstream in(std::string(VORNTAK_RUN_DIR) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Smf Load(const std::string& name) {
    const std::vector<std::uint8_t> bytes = Read(name);
    if (bytes.empty()) {
        Smf missing;
        missing.error = "cannot open " + name;
        return missing;
    }
    return Parse(bytes);
}

bool IsNoteOn(const Event& e) { return (e.status & 0xF0) == 0x90 && e.b > 0; }
bool IsNoteOff(const Event& e) { return (e.status & 0xF0) == 0x80 || ((e.status & 0xF0) == 0x90 && e.b == 0); }

class TuneFile : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        smf = Load(GetParam());
        ASSERT_EQ(smf.error, "");
    }
    Smf smf;
};

TEST_P(TuneFile, IsAFormatOneMidiFileWhoseChunksAddUp) {
    EXPECT_EQ(smf.format, 1u);
    EXPECT_EQ(smf.declaredTracks, smf.tracks.size());
    EXPECT_GE(smf.tracks.size(), 4u);  // tempo, melody, bass, drums
    EXPECT_GT(smf.division, 0u);
    EXPECT_LT(smf.division, 0x8000u);  // ticks per quarter, not SMPTE
}

TEST_P(TuneFile, PassesTheCheckTheGameLoadsTunesThrough) {
    const std::vector<std::uint8_t> bytes = Read(GetParam());
    EXPECT_TRUE(platform::IsPlayableMidi(bytes.data(), bytes.size()));
}

TEST_P(TuneFile, EndsEveryTrackWithEndOfTrack) {
    for (const Track& t : smf.tracks) {
        ASSERT_FALSE(t.events.empty());
        EXPECT_EQ(t.events.back().status, 0xFF);
        EXPECT_EQ(t.events.back().meta, 0x2F);
        EXPECT_TRUE(t.events.back().data.empty());
    }
}

TEST_P(TuneFile, PlaysMelodyBassAndDrumsOnChannelTenWithProgramsSet) {
    std::set<int> playing, programmed;
    for (const Track& t : smf.tracks)
        for (const Event& e : t.events) {
            const int ch = e.status & 0x0F;
            if ((e.status & 0xF0) == 0xC0) programmed.insert(ch);
            if (IsNoteOn(e)) {
                playing.insert(ch);
                if (ch != 9) {
                    EXPECT_TRUE(programmed.count(ch)) << "channel " << ch << " plays before its program";
                }
            }
        }
    EXPECT_GE(playing.size(), 3u);
    EXPECT_TRUE(playing.count(9));
}

TEST_P(TuneFile, MatchesEveryNoteOnWithANoteOff) {
    for (const Track& t : smf.tracks) {
        std::map<int, int> sounding;  // channel * 128 + key
        for (const Event& e : t.events) {
            const int key = (e.status & 0x0F) * 128 + e.a;
            if (IsNoteOn(e)) ++sounding[key];
            if (IsNoteOff(e)) {
                EXPECT_GE(--sounding[key], 0) << "note-off with no note at tick " << e.tick;
            }
        }
        for (const auto& [key, count] : sounding) EXPECT_EQ(count, 0) << "key " << key % 128 << " left sounding";
    }
}

TEST_P(TuneFile, LastsWholeBarsEndingExactlyOnTheBarLine) {
    unsigned beats = 4, unitPower = 2;
    bool tempo = false;
    for (const Event& e : smf.tracks.front().events) {
        if (e.status == 0xFF && e.meta == 0x58 && e.data.size() == 4) beats = e.data[0], unitPower = e.data[1];
        tempo = tempo || (e.status == 0xFF && e.meta == 0x51);
    }
    EXPECT_TRUE(tempo);
    const std::uint32_t bar = smf.division * 4 * beats >> unitPower;
    const std::uint32_t end = smf.tracks.front().end;
    for (const Track& t : smf.tracks) EXPECT_EQ(t.end, end) << "tracks end apart";
    EXPECT_EQ(end % bar, 0u) << end << " ticks in bars of " << bar;
    EXPECT_GE(end / bar, 4u);
}

INSTANTIATE_TEST_SUITE_P(Tunes, TuneFile, testing::ValuesIn(kTunes), [](const testing::TestParamInfo<const char*>& info) {
    std::string name = info.param;
    return name.substr(0, name.find('.'));
});

TEST(TuneFiles, EachTuneHasItsOwnTempoAndInstruments) {
    std::set<std::vector<std::uint8_t>> tempos;
    std::set<std::set<int>> bands;
    for (const char* name : kTunes) {
        const Smf smf = Load(name);
        ASSERT_EQ(smf.error, "");
        std::set<int> programs;
        for (const Track& t : smf.tracks)
            for (const Event& e : t.events) {
                if (e.status == 0xFF && e.meta == 0x51) tempos.insert(e.data);
                if ((e.status & 0xF0) == 0xC0) programs.insert(e.a);
            }
        bands.insert(programs);
    }
    EXPECT_EQ(tempos.size(), std::size(kTunes));
    EXPECT_EQ(bands.size(), std::size(kTunes));
}

}  // namespace
