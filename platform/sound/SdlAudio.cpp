#include "SdlAudio.h"

#include <SDL.h>
#include <SDL_mixer.h>

namespace platform {
namespace {
int users = 0;

bool Open(const char* driver) {
    // Above the environment's SDL_AUDIODRIVER, which may name a driver that does not exist.
    if (driver) SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, driver, SDL_HINT_OVERRIDE);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    // Fixed 16-bit stereo at one rate: SDL converts for a device that differs,
    // so the music synthesiser can render straight into the stream.
    if (Mix_OpenAudioDevice(kSdlAudioRate, AUDIO_S16SYS, 2, 1024, nullptr, 0) == 0) return true;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
}

}  // namespace

bool AcquireSdlAudio() {
    // Without a sound card the game still runs, silently, on SDL's dummy driver.
    if (users == 0 && !Open(nullptr) && !Open("dummy")) return false;
    ++users;
    return true;
}

void ReleaseSdlAudio() {
    if (users == 0 || --users > 0) return;
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

}  // namespace platform
