#include "Midi.h"
#include "MusicRender.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

void Quiet(int, const char*, void*) {}

// The players' synthesiser with the soundfont, made once: the soundfont takes a second to read.
fluid_synth_t* Synth() {
    static fluid_synth_t* synth = [] {
        for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) fluid_set_log_function(level, Quiet, nullptr);
        fluid_settings_t* settings = new_fluid_settings();
        platform::ConfigureMusicSynth(settings);
        fluid_synth_t* made = new_fluid_synth(settings);
        return fluid_synth_sfload(made, platform::kMusicSoundFont, 1) == FLUID_FAILED ? nullptr : made;
    }();
    return synth;
}

struct Level {
    long clipped = 0;  // samples at full scale
    double rmsDb = 0;
};

// `seconds` of the tune, looped, as the mixer gets it; or, unlimited, the synthesiser's own floats at full scale.
Level Render(const std::vector<std::uint8_t>& tune, int seconds, bool unlimited) {
    fluid_synth_t* synth = Synth();
    fluid_player_t* player = new_fluid_player(synth);
    fluid_player_add_mem(player, tune.data(), tune.size());
    fluid_player_set_loop(player, 1);
    fluid_player_play(player);
    platform::MusicLimiter limiter;
    platform::MusicFade fade;
    constexpr int kFrames = 1024;
    std::int16_t out[2 * kFrames];
    float raw[2 * kFrames];
    double sum = 0;
    long samples = 0;
    Level level;
    for (int block = 0; block < seconds * 44100 / kFrames; ++block) {
        if (unlimited) {
            fluid_synth_write_float(synth, kFrames, raw, 0, 2, raw, 1, 2);
            for (float& value : raw) value = std::fmax(-32768.0f, std::fmin(32767.0f, value * 32767.0f));
        } else {
            platform::RenderMusic(synth, player, true, limiter, fade, out, kFrames);
            for (int i = 0; i < 2 * kFrames; ++i) raw[i] = out[i];
        }
        for (float value : raw) {
            level.clipped += value >= 32767.0f || value <= -32768.0f;
            sum += static_cast<double>(value) * value;
            ++samples;
        }
    }
    level.rmsDb = 10 * std::log10(sum / samples / (32768.0 * 32768.0));
    delete_fluid_player(player);
    fluid_synth_system_reset(synth);
    for (int block = 0; block < 3 * 44100 / kFrames; ++block) fluid_synth_write_float(synth, kFrames, raw, 0, 2, raw, 1, 2);  // the reverb's tail
    return level;
}

// As loud as a General MIDI file gets: every channel at full volume, six-note
// chords at full velocity on every beat, on bright instruments.
std::vector<std::uint8_t> LoudestTune() {
    assets::MidiTune tune{.name = "loud", .beatsPerMinute = 140, .bars = 2, .parts = {}};
    for (std::uint8_t channel = 0; channel < 16; ++channel) {
        assets::MidiPart part{.name = "part", .channel = channel, .program = static_cast<std::uint8_t>(channel * 8 + 6),
                              .volume = 127, .pan = 64, .notes = {}};
        for (std::uint32_t beat = 0; beat < 8; ++beat)
            for (std::uint8_t key : {36, 43, 48, 52, 55, 60})
                part.notes.push_back({beat * 480, 470, static_cast<std::uint8_t>(key + channel % 3 * 12), 127});
        tune.parts.push_back(part);
    }
    return assets::WriteSmf(tune);
}

// A player's tune, however loud, plays without a clipped sample and no more
// than 3 dB over the game's loudest tune, so the fight's effects stay above it.
TEST(MusicLevel, TheLoudestTuneNeverClipsWhileTheGameTunesKeepTheirLevel) {
    if (!Synth()) GTEST_SKIP() << "no soundfont at " << platform::kMusicSoundFont;
    const std::vector<std::uint8_t> loud = LoudestTune();
    ASSERT_GT(Render(loud, 2, true).clipped, 0) << "the tune is not loud enough to test";
    const Level loudHeard = Render(loud, 30, false);  // as long as a bout, past the limiter's first second
    EXPECT_EQ(loudHeard.clipped, 0);

    double loudestGameTune = -200;
    for (const char* name : {"Start.mid", "Select.mid", "Fighting1.mid", "Fighting2.mid", "Fighting3.mid"}) {
        std::ifstream in(std::string(VORNTAK_RUN_DIR) + "/" + name, std::ios::binary);
        const std::vector<std::uint8_t> tune{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        ASSERT_FALSE(tune.empty()) << name;
        const Level heard = Render(tune, 6, false), own = Render(tune, 6, true);
        EXPECT_NEAR(heard.rmsDb, own.rmsDb, 1.0) << name;
        EXPECT_EQ(heard.clipped, 0) << name;
        loudestGameTune = std::max(loudestGameTune, heard.rmsDb);
    }
    EXPECT_LE(loudHeard.rmsDb, loudestGameTune + 3.0);
}

}  // namespace
