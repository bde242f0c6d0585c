// Music for players: SDL_mixer plays the MIDI tunes through FluidSynth with the
// General MIDI soundfont, on the shared audio device. Without a device, a
// soundfont or a MIDI decoder, every step still succeeds and nothing is heard.
#include "PlayerBackends.h"
#include "SystemShared.h"

#include "SdlAudio.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <fluidsynth.h>

#include <unistd.h>

#include <cstring>
#include <set>
#include <thread>
#include <vector>

namespace platform {
namespace {

constexpr const char* kSoundFont = "/usr/share/sounds/sf2/FluidR3_GM.sf2";
// SDL_mixer has no measures; a short fade ends the tune about as softly.
constexpr int kMeasureFadeMs = 300;
// More repeats than any session lasts: loop for ever.
constexpr std::uint32_t kEndlessRepeats = 1000;

// While one synthesiser holds the soundfont, FluidSynth keeps its samples for
// every other, so a tune loads in a tenth of the time instead of reading 148 MB
// again. This one holds it for the run: loaded on a thread of its own from
// the moment the music service is made, so it overlaps the display's set-up,
// and waited for before the first tune loads.
class SoundfontKeeper {
public:
    SoundfontKeeper()
        : loader_([this] {
              if (access(kSoundFont, R_OK) != 0) return;
              fluid_set_log_function(FLUID_WARN, nullptr, nullptr);  // its notes are no business of the game's
              fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
              settings_ = new_fluid_settings();
              if (settings_) synth_ = new_fluid_synth(settings_);
              if (synth_) fluid_synth_sfload(synth_, kSoundFont, 0);
          }) {}
    ~SoundfontKeeper() {
        Ready();
        if (synth_) delete_fluid_synth(synth_);
        if (settings_) delete_fluid_settings(settings_);
    }
    void Ready() {
        if (loader_.joinable()) loader_.join();
    }

private:
    fluid_settings_t* settings_ = nullptr;
    fluid_synth_t* synth_ = nullptr;
    std::thread loader_;  // last: it starts once the fields above exist
};

Mix_Music* Tune(MusicSegment* segment) { return static_cast<Mix_Music*>(segment->native); }

bool PrepareMidi() {
    if (access(kSoundFont, R_OK) != 0) return false;
    Mix_Init(MIX_INIT_MID);
    if (Mix_SetSoundFonts(kSoundFont) == 0) return false;
    for (int i = 0; i < Mix_GetNumMusicDecoders(); ++i)
        if (std::strcmp(Mix_GetMusicDecoder(i), "MIDI") == 0) return true;
    return false;
}

class SdlMusic final : public Music {
public:
    ~SdlMusic() override {
        ReleasePerformance();
        for (MusicSegment* segment : segments_) delete segment;
        for (MusicSegmentState* state : states_) delete state;
    }

    bool Start() override { return true; }
    bool CreatePerformance() override { return true; }

    bool InitialisePerformance() override {
        if (!audio_) {
            audio_ = AcquireSdlAudio();
            midi_ = audio_ && PrepareMidi();
        }
        return true;
    }

    bool CreateLoader() override { return true; }
    void SetSearchDirectory(const std::string& directory) override { searchDirectory_ = directory; }
    bool AddDefaultPort() override { return true; }

    MusicSegment* LoadSegment(const std::string& fileName) override {
        CollectRetired();
        const std::string path = JoinPath(searchDirectory_, fileName);
        if (!IsStandardMidiFile(path)) return nullptr;
        keeper_.Ready();
        Mix_Music* tune = nullptr;
        if (midi_ && !(tune = Mix_LoadMUS(path.c_str()))) return nullptr;
        auto* segment = new MusicSegment{.file = fileName, .native = tune};
        segments_.insert(segment);
        return segment;
    }

    // The mixer reads the whole file at load; there is nothing more to mark or download.
    bool MarkStandardMidi(MusicSegment* segment) override { return Known(segment); }
    bool DownloadInstruments(MusicSegment* segment) override { return Known(segment); }
    bool UnloadInstruments(MusicSegment* segment) override { return Known(segment); }

    void ReleaseSegment(MusicSegment* segment) override {
        if (!Known(segment)) return;
        segments_.erase(segment);
        if (Mix_Music* tune = Tune(segment)) {
            // Freeing a fading tune would wait for the fade: free it once it has ended.
            if (tune == playing_ && Mix_FadingMusic() == MIX_FADING_OUT)
                retired_.push_back(tune);
            else
                FreeTune(tune);
        }
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
        if (Mix_Music* tune = Tune(segment)) {
            Mix_HaltMusic();  // a tune still fading would make the new one wait
            CollectRetired();
            // The mixer counts plays, not repeats; 0 and 1 both play once.
            const int loops = segment->repeats >= kEndlessRepeats ? -1 : static_cast<int>(segment->repeats) + 1;
            if (Mix_PlayMusic(tune, loops) != 0) return nullptr;
            playing_ = tune;
        }
        auto* state = new MusicSegmentState{segment};
        states_.insert(state);
        return state;
    }

    void ReleaseState(MusicSegmentState* state) override {
        if (states_.erase(state)) delete state;
    }

    bool StopAll(bool atNextMeasure) override {
        if (!audio_) return true;
        if (!atNextMeasure)
            Mix_HaltMusic();
        else if (Mix_PlayingMusic() && Mix_FadingMusic() != MIX_FADING_OUT)
            Mix_FadeOutMusic(kMeasureFadeMs);
        CollectRetired();
        return true;
    }

    bool CloseDown() override {
        if (audio_) Mix_HaltMusic();
        CollectRetired();
        return true;
    }

    // The tunes go with the device; segments still held stay valid and silent.
    void ReleasePerformance() override {
        if (!audio_) return;
        Mix_HaltMusic();
        CollectRetired();
        for (MusicSegment* segment : segments_) {
            if (Tune(segment)) FreeTune(Tune(segment));
            segment->native = nullptr;
        }
        ReleaseSdlAudio();
        audio_ = midi_ = false;
    }

    void ReleaseLoader() override {}
    void Stop() override {}

private:
    MusicSegment* Known(MusicSegment* segment) const { return segments_.contains(segment) ? segment : nullptr; }

    void FreeTune(Mix_Music* tune) {
        Mix_FreeMusic(tune);
        if (tune == playing_) playing_ = nullptr;
    }

    void CollectRetired() {
        if (retired_.empty()) return;
        const bool fading = Mix_PlayingMusic() && Mix_FadingMusic() == MIX_FADING_OUT;
        std::erase_if(retired_, [&](Mix_Music* tune) {
            if (fading && tune == playing_) return false;
            FreeTune(tune);
            return true;
        });
    }

    bool audio_ = false;
    bool midi_ = false;
    std::string searchDirectory_;
    std::set<MusicSegment*> segments_;
    std::set<MusicSegmentState*> states_;
    Mix_Music* playing_ = nullptr;    // the last tune started, while it exists
    SoundfontKeeper keeper_;
    std::vector<Mix_Music*> retired_;  // released while fading out
};

}  // namespace

std::unique_ptr<Music> MakeSdlMusic() { return std::make_unique<SdlMusic>(); }

}  // namespace platform
