#include "MusicRender.h"

#include "SdlAudio.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace platform {
namespace {

constexpr int kChunkFrames = 256;
// The limiter's block: 0.7 ms, so a gain step is small and short.
constexpr int kLimiterFrames = 32;
// The gain recovers by a factor of e in about 150 ms.
const float kReleasePerFrame = std::exp(1.0f / (0.150f * kSdlAudioRate));
// The loudness follows a louder passage within about a second and a quieter
// one within three: a tune's level is held, not its phrases.
const float kLoudnessRise = 1 - std::exp(-kLimiterFrames / (1.0f * kSdlAudioRate));
const float kLoudnessFall = 1 - std::exp(-kLimiterFrames / (3.0f * kSdlAudioRate));

std::int16_t ToSample(float value) {
    return static_cast<std::int16_t>(std::lrint(std::clamp(value, -32768.0f, 32767.0f)));
}

}  // namespace

void ConfigureMusicSynth(fluid_settings_t* settings) {
    fluid_settings_setnum(settings, "synth.sample-rate", kSdlAudioRate);
    fluid_settings_setnum(settings, "synth.gain", kMusicGain);
}

void MusicLimiter::Apply(float* stereo, int frames) {
    for (int first = 0; first < frames; first += kLimiterFrames) {
        const int count = std::min(frames - first, kLimiterFrames);
        float* block = stereo + 2 * first;
        float peak = 0, power = 0;
        for (int i = 0; i < 2 * count; ++i) {
            peak = std::max(peak, std::fabs(block[i]));
            power += block[i] * block[i];
        }
        power /= static_cast<float>(2 * count);
        loudness_ += (power > loudness_ ? kLoudnessRise : kLoudnessFall) * (power - loudness_);
        const float level = loudness_ > kMusicLoudest * kMusicLoudest ? kMusicLoudest / std::sqrt(loudness_) : 1.0f;
        // Where the gain may have recovered to by the block's end, no higher
        // than the tune's loudness allows nor than the block's peak allows.
        float target = std::min(gain_ * std::pow(kReleasePerFrame, static_cast<float>(count)), level);
        if (peak * target > kMusicCeiling) target = kMusicCeiling / peak;
        if (target < gain_) {
            // Down at once for the whole block: no sample of it passes the ceiling.
            for (int i = 0; i < 2 * count; ++i) block[i] *= target;
        } else if (gain_ < 1 || target < 1) {
            // Up along the block, never above the block's end gain.
            const float step = (target - gain_) / static_cast<float>(count);
            for (int frame = 0; frame < count; ++frame) {
                const float gain = gain_ + step * static_cast<float>(frame + 1);
                block[2 * frame] *= gain;
                block[2 * frame + 1] *= gain;
            }
        }
        gain_ = target;
    }
}

void RenderMusic(fluid_synth_t* synth, fluid_player_t* player, bool endless, MusicLimiter& limiter, MusicFade& fade,
                 std::int16_t* out, int frames) {
    std::array<float, 2 * kChunkFrames> chunk;
    for (int frame = 0; frame < frames;) {
        const int count = std::min(frames - frame, kChunkFrames);
        // Between chunks the player has read the tune and is still in it:
        // one more play. One that failed or ended twice in a chunk stays done.
        if (endless && fluid_player_get_status(player) == FLUID_PLAYER_PLAYING) fluid_player_set_loop(player, 1);
        // Floats, not the synthesiser's dithered integers: silence stays exactly 0.
        fluid_synth_write_float(synth, count, chunk.data(), 0, 2, chunk.data(), 1, 2);
        limiter.Apply(chunk.data(), count);
        for (int i = 0; i < 2 * count; i += 2, ++frame) {
            float gain = 32767.0f;
            if (fade.length) {
                gain = gain * static_cast<float>(fade.left) / static_cast<float>(fade.length);
                fade.left = std::max(fade.left - 1, 0);
            }
            out[2 * frame] = ToSample(chunk[i] * gain);
            out[2 * frame + 1] = ToSample(chunk[i + 1] * gain);
        }
    }
}

}  // namespace platform
