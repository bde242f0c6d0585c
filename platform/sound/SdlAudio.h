// The one SDL_mixer audio device of the run, shared by the sound buffers, the
// music and the WAVE-file player: opened by the first user, closed by the last.
#pragma once

namespace platform {

constexpr int kSdlAudioRate = 44100;  // 16-bit stereo at this rate, whatever the card takes

bool AcquireSdlAudio();  // false when there is no audio device
void ReleaseSdlAudio();

}  // namespace platform
