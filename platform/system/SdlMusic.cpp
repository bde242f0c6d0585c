// Music for players: SDL_mixer plays the MIDI tunes through FluidSynth with the
// General MIDI soundfont, on the shared audio device. Without a device, a
// soundfont or a MIDI decoder, every step still succeeds and nothing is heard.
#include "PlayerBackends.h"
#include "SystemShared.h"

#include "SdlAudio.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <unistd.h>

#include <cstring>
#include <set>
#include <vector>

namespace platform {
namespace {

constexpr const char* kSoundFont = "/usr/share/sounds/sf2/FluidR3_GM.sf2";
// SDL_mixer has no measures; a short fade ends the tune about as softly.
constexpr int kMeasureFadeMs = 300;
// More repeats than any session lasts: loop for ever.
constexpr std::uint32_t kEndlessRepeats = 1000;

// A tune of one silent track. While one tune is alive FluidSynth keeps the
// soundfont's samples, so holding this one for the run makes every real tune
// load in milliseconds instead of reading the soundfont again.
constexpr std::uint8_t kKeeperTune[] = {
    'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96,  // format 0, one track, 96 ticks a beat
    'M', 'T', 'r', 'k', 0, 0, 0, 4, 0, 0xFF, 0x2F, 0,   // end of track
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
            if (midi_) keeper_ = Mix_LoadMUS_RW(SDL_RWFromConstMem(kKeeperTune, sizeof kKeeperTune), 1);
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
        if (keeper_) Mix_FreeMusic(keeper_);
        keeper_ = nullptr;
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
    Mix_Music* keeper_ = nullptr;     // never played: holds the soundfont for the run
    std::vector<Mix_Music*> retired_;  // released while fading out
};

}  // namespace

std::unique_ptr<Music> MakeSdlMusic() { return std::make_unique<SdlMusic>(); }

}  // namespace platform
