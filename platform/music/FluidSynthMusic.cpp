// Music for players: one FluidSynth synthesiser with the General MIDI soundfont,
// made once for the run, renders the playing tune into SDL_mixer's music
// stream. Without a device, a soundfont or a synthesiser, every step still
// succeeds and nothing is heard. It loads only the tunes its player can play
// to their end (the tune check); a tune the synthesiser fails on while it
// plays ends the music, never the audio thread's next buffer.
#include "PlayerBackends.h"

#include "BoundedRead.h"
#include "MidiCheck.h"
#include "MusicRender.h"
#include "MusicSegment.h"
#include "SdlAudio.h"
#include "TunePresets.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <fluidsynth.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace platform {
namespace {

// The mixer has no measures; a short fade ends the tune about as softly.
constexpr int kMeasureFadeMs = 300;
// More repeats than any session lasts: loop for ever.
constexpr std::uint32_t kEndlessRepeats = 1000;

// FluidSynth reports a failure on every retry, on the audio thread: the first
// line of each tune is enough.
std::atomic<bool> synthesiserSpoke{false};

void LogSynthesiserError(int, const char* message, void*) {
    if (!synthesiserSpoke.exchange(true)) std::fprintf(stderr, "Torvane: music: synthesiser: %s\n", message);
}

// The synthesiser holds the soundfont for the whole run, so a stage change only
// reads a small MIDI file and the samples of instruments no tune played before.
// Reading the soundfont takes a while: it starts on a thread of its own when the music service is made,
// overlapping the display's set-up, and is waited for by the first tune.
class Synthesiser {
public:
    Synthesiser()
        : loader_([this] {
              if (access(kMusicSoundFont, R_OK) != 0) return;
              fluid_set_log_function(FLUID_WARN, nullptr, nullptr);  // its notes are no business of the game's
              fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
              fluid_set_log_function(FLUID_ERR, LogSynthesiserError, nullptr);
              fluid_set_log_function(FLUID_PANIC, LogSynthesiserError, nullptr);
              settings_ = new_fluid_settings();
              if (!settings_) return;
              ConfigureMusicSynth(settings_);
              // Only the samples of the instruments pinned for the tunes are read
              // (the game's five: 30 MB of the soundfont's 148 MB).
              fluid_settings_setint(settings_, "synth.dynamic-sample-loading", 1);
              fluid_synth_t* synth = new_fluid_synth(settings_);
              if (synth && fluid_synth_sfload(synth, kMusicSoundFont, 1) == FLUID_FAILED) {
                  delete_fluid_synth(synth);
                  synth = nullptr;
              }
              synth_ = synth;
          }) {}
    ~Synthesiser() {
        Ready();
        if (synth_) delete_fluid_synth(synth_);
        if (settings_) delete_fluid_settings(settings_);
    }
    fluid_synth_t* Ready() {
        if (loader_.joinable()) loader_.join();
        return synth_;
    }

private:
    fluid_settings_t* settings_ = nullptr;
    fluid_synth_t* synth_ = nullptr;
    std::thread loader_;  // last: it starts once the fields above exist
};

// A loaded tune: the file's bytes, read at load as the stage change asks.
struct Tune {
    std::vector<std::uint8_t> bytes;
};

Tune* TuneOf(MusicSegment* segment) { return static_cast<Tune*>(segment->native); }

// The player spins for ever on a tune it cannot read or one that lasts no
// time: only a tune that passes the check is read in.
bool ReadPlayableMidi(const std::string& path, std::vector<std::uint8_t>& bytes, TuneRefusal& refusal) {
    const bool read = ReadFilePrefix(path, kMaxTuneFileBytes + 1, bytes);
    refusal = read && bytes.size() > kMaxTuneFileBytes ? TuneRefusal::TooLarge : TuneRefusal::Unplayable;
    if (read && bytes.size() <= kMaxTuneFileBytes && IsPlayableMidi(bytes.data(), bytes.size())) return true;
    bytes.clear();
    return false;
}

// Pinned samples stay loaded for the run. A preset the soundfont lacks is
// played from bank 0 (the drums from the standard kit), as the synthesiser does.
void PinInstruments(fluid_synth_t* synth, const std::vector<std::uint8_t>& tune) {
    fluid_sfont_t* sfont = fluid_synth_get_sfont(synth, 0);
    if (!sfont) return;
    const int font = fluid_sfont_get_id(sfont);
    for (const TunePreset& preset : PresetsOfTune(tune.data(), tune.size()))
        if (fluid_synth_pin_preset(synth, font, preset.bank, preset.program) != FLUID_OK)
            fluid_synth_pin_preset(synth, font, preset.bank == 128 ? 128 : 0, preset.bank == 128 ? 0 : preset.program);
}

class FluidSynthMusic final : public Music {
public:
    ~FluidSynthMusic() override {
        ReleasePerformance();
        for (MusicSegment* segment : segments_) {
            delete TuneOf(segment);
            delete segment;
        }
        for (MusicSegmentState* state : states_) delete state;
    }

    bool InitialisePerformance() override {
        if (audio_) return true;
        audio_ = AcquireSdlAudio();
        if (audio_) Mix_HookMusic(&FluidSynthMusic::Render, this);
        return true;
    }

    void SetSearchDirectory(const std::string& directory) override { searchDirectory_ = directory; }

    MusicSegment* LoadSegment(const std::string& fileName) override {
        const std::string path = JoinPath(searchDirectory_, fileName);
        // The player gets the very bytes checked.
        auto tune = std::make_unique<Tune>();
        if (!ReadPlayableMidi(path, tune->bytes, refusal_)) return nullptr;
        auto* segment = new MusicSegment{.file = fileName, .native = tune.release()};
        segments_.insert(segment);
        return segment;
    }

    TuneRefusal LastRefusal() const override { return refusal_; }

    // A tune fading out keeps playing from its own copy until the fade ends.
    void ReleaseSegment(MusicSegment* segment) override {
        if (!Known(segment)) return;
        segments_.erase(segment);
        delete TuneOf(segment);
        delete segment;
    }

    // Only the whole tune loops here; other loop points are kept but not used.
    void SetLoopPoints(MusicSegment* segment, std::uint32_t start, std::uint32_t end) override {
        if (!Known(segment)) return;
        segment->loopStart = start;
        segment->loopEnd = end;
    }

    void SetRepeats(MusicSegment* segment, std::uint32_t repeats) override {
        if (Known(segment)) segment->repeats = repeats;
    }

    MusicSegmentState* Play(MusicSegment* segment) override {
        if (!Known(segment)) return nullptr;
        if (fluid_synth_t* synth = audio_ ? synth_.Ready() : nullptr) {
            Halt();  // one synthesiser plays one tune: a tune still fading ends now
            const Tune& tune = *TuneOf(segment);
            // Nothing renders now: the samples the tune's instruments need are read here,
            // not on the audio thread as the tune selects them (up to 35 ms a buffer).
            PinInstruments(synth, tune.bytes);
            fluid_player_t* player = new_fluid_player(synth);
            // The player counts plays, not repeats; 0 and 1 both play once. It
            // never loops for ever by itself: a tune it fails to read or that
            // ends at once would be retried inside one buffer without end.
            // An endless tune is granted one more play a chunk instead.
            const bool endless = segment->repeats >= kEndlessRepeats;
            const int plays = endless ? 1 : static_cast<int>(segment->repeats) + 1;
            if (!player || fluid_player_add_mem(player, tune.bytes.data(), tune.bytes.size()) != FLUID_OK ||
                fluid_player_set_loop(player, plays) != FLUID_OK || fluid_player_play(player) != FLUID_OK) {
                if (player) delete_fluid_player(player);
                return nullptr;
            }
            synthesiserSpoke = false;
            std::lock_guard lock(mixing_);
            player_ = player;
            endless_ = endless;
            fade_ = {};
            limiter_.Reset();
        }
        auto* state = new MusicSegmentState{segment};
        states_.insert(state);
        return state;
    }

    void ReleaseState(MusicSegmentState* state) override {
        if (states_.erase(state)) delete state;
    }

    bool StopAll(bool atNextMeasure) override {
        if (!atNextMeasure) {
            Halt();
            return true;
        }
        std::lock_guard lock(mixing_);
        if (player_ && fade_.length == 0) fade_.left = fade_.length = kSdlAudioRate * kMeasureFadeMs / 1000;
        return true;
    }

    bool CloseDown() override {
        Halt();
        return true;
    }

    // The tunes go with the device; segments still held stay valid and silent.
    void ReleasePerformance() override {
        if (!audio_) return;
        Mix_HookMusic(nullptr, nullptr);  // returns once the mixer no longer renders
        Halt();
        ReleaseSdlAudio();
        audio_ = false;
    }

private:
    MusicSegment* Known(MusicSegment* segment) const { return segments_.contains(segment) ? segment : nullptr; }

    // Ends the playing tune at once and leaves the synthesiser silent for the next.
    void Halt() {
        fluid_player_t* player = nullptr;
        {
            std::lock_guard lock(mixing_);
            std::swap(player, player_);
            fade_ = {};
        }
        if (!player) return;
        // The mixer no longer renders it, so nothing else touches the synthesiser now.
        delete_fluid_player(player);
        fluid_synth_system_reset(synth_.Ready());
    }

    // The mixer's music stream, on the audio thread.
    static void Render(void* self, Uint8* stream, int bytes) {
        static_cast<FluidSynthMusic*>(self)->Render(reinterpret_cast<std::int16_t*>(stream), bytes / 2);
    }

    void Render(std::int16_t* out, int samples) {
        std::memset(out, 0, samples * sizeof *out);
        std::lock_guard lock(mixing_);
        if (!player_ || (fade_.length && fade_.left == 0)) return;
        RenderMusic(synth_.Ready(), player_, endless_, limiter_, fade_, out, samples / 2);
        // Faded out: the tune ends, as a stop at the measure would.
        if (fade_.length && fade_.left == 0) fluid_player_stop(player_);
    }

    bool audio_ = false;
    std::string searchDirectory_;
    TuneRefusal refusal_ = TuneRefusal::Unplayable;
    std::set<MusicSegment*> segments_;
    std::set<MusicSegmentState*> states_;
    Synthesiser synth_;
    std::mutex mixing_;  // the player and fade, shared with the audio thread
    fluid_player_t* player_ = nullptr;
    bool endless_ = false;  // the player is granted a play a chunk
    MusicFade fade_;  // to the measure's stop
    MusicLimiter limiter_;
};

}  // namespace

std::unique_ptr<Music> MakeFluidSynthMusic() { return std::make_unique<FluidSynthMusic>(); }

}  // namespace platform
