// The tunes' way from the synthesiser to the mixer's 16-bit music stream:
// rendered in floats, held under a ceiling, faded, then written as samples.
// A player's tune may be far louder than the game's own; the limiter turns a
// tune down to about the game's loudest and keeps every sample under the
// ceiling; the game's tunes never reach the ceiling and lose at most a fifth
// of a dB in their loudest passage.
#pragma once

#include <fluidsynth.h>

#include <cstdint>

namespace platform {

inline constexpr const char* kMusicSoundFont = "/usr/share/sounds/sf2/FluidR3_GM.sf2";
// The synthesiser's output level: the game's tunes at about -32 dB RMS, -15 dB
// at their peak, which leaves the effects headroom.
inline constexpr double kMusicGain = 0.4;
// The ceiling of the music stream: -12 dB, 3 dB above the game's loudest tune.
inline constexpr float kMusicCeiling = 0.25f;
// The loudest a tune plays, as RMS over a second or so: -28.5 dB, about the
// game's loudest passage (-27.8 dB), far under the fight's effects (-14 dB).
inline constexpr float kMusicLoudest = 0.0376f;

// Sets the synthesiser's rate and level for the music stream.
void ConfigureMusicSynth(fluid_settings_t* settings);

// A look-ahead-free limiter on interleaved stereo: a short block's peak sets
// its gain at once (nothing in it passes the ceiling), and the gain recovers
// slowly, so a loud passage is turned down without pumping; the gain never
// rises above what holds the tune's loudness at kMusicLoudest.
class MusicLimiter {
public:
    void Apply(float* stereo, int frames);
    void Reset() { gain_ = 1, loudness_ = 0; }

private:
    float gain_ = 1;
    float loudness_ = 0;  // mean square, followed slowly
};

// The fade that ends a tune softly, in frames.
struct MusicFade {
    int left = 0, length = 0;
};

// Renders `frames` stereo frames of the synthesiser into `out`; `endless`
// grants the player one more play each chunk it is still playing.
void RenderMusic(fluid_synth_t* synth, fluid_player_t* player, bool endless, MusicLimiter& limiter, MusicFade& fade,
                 std::int16_t* out, int frames);

}  // namespace platform
