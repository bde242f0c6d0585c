// The system for players: SDL message boxes and delays, WAVE files on one
// reserved SDL_mixer channel of the shared audio device.
#include "PlayerBackends.h"
#include "SigtermDuringBox.h"

#include "ModuleLoader.h"
#include "SdlAudio.h"
#include "WaveFile.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>

namespace platform {
namespace {

// Channel 0, kept out of the mixer's free-channel search for the WAVE files.
constexpr int kWaveChannel = 0;
// A converted sound may grow a lot (rate, width, channels); past this it is dropped.
constexpr std::uint64_t kMaxConvertedBytes = 256u << 20;

bool VideoAvailable() {
    const char* driver = SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetCurrentVideoDriver() : SDL_GetHint(SDL_HINT_VIDEODRIVER);
    return !driver || (std::strcmp(driver, "dummy") != 0 && std::strcmp(driver, "offscreen") != 0);
}

class SdlSystem final : public System {
public:
    ~SdlSystem() override {
        StopWave();
        if (audio_) ReleaseSdlAudio();
    }

    void MessageBox(const char* text, const char* caption) override {
        text = text ? text : "";
        caption = caption ? caption : "";
        bool shown = false;
        // After a SIGTERM the game is ending: no box holds it up again.
        if (VideoAvailable() && !terminated_)
            terminated_ = ShowAnsweringSigterm(
                [&] { shown = SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption, text, nullptr) == 0; });
        if (!shown) std::fprintf(stderr, "%s: %s\n", caption, text);
    }

    void Sleep(std::uint32_t milliseconds) override { SDL_Delay(milliseconds); }

    std::uint32_t ClockSeconds() override { return static_cast<std::uint32_t>(std::time(nullptr)); }

    std::string CurrentDirectory() override {
        std::error_code error;
        auto path = std::filesystem::current_path(error);
        return error ? std::string() : path.string();
    }

    void PlayWaveFile(const std::string& path) override {
        StopWave();
        if (path.empty()) return;
        const WaveFile wave = ReadWaveFile(path);
        if (wave.playable && OpenAudio()) Start(wave);
    }

    Module* LoadModule(const std::string& bareName) override { return OpenModule(bareName, CurrentDirectory()); }
    void* FindFunction(Module* module, const char* name) override { return ModuleFunction(module, name); }
    void UnloadModule(Module* module) override { CloseModule(module); }

private:
    bool OpenAudio() {
        if (!triedAudio_) {
            triedAudio_ = true;
            audio_ = AcquireSdlAudio();
            if (audio_) Mix_ReserveChannels(kWaveChannel + 1);
        }
        return audio_;
    }

    void Start(const WaveFile& wave) {
        int rate = 0, channels = 0;
        Uint16 format = 0;
        if (!Mix_QuerySpec(&rate, &format, &channels)) return;
        SDL_AudioCVT cvt;
        const SDL_AudioFormat source = wave.format.bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
        if (SDL_BuildAudioCVT(&cvt, source, static_cast<Uint8>(wave.format.channels), static_cast<int>(wave.format.samplesPerSecond),
                              format, static_cast<Uint8>(channels), rate) < 0)
            return;
        const std::uint64_t room = std::uint64_t(wave.dataBytes) * static_cast<std::uint64_t>(cvt.len_mult);
        if (room > kMaxConvertedBytes) return;

        samples_.assign(static_cast<std::size_t>(room), 0);
        std::memcpy(samples_.data(), wave.bytes.data() + wave.dataOffset, wave.dataBytes);
        Uint32 length = wave.dataBytes;
        if (cvt.needed) {
            cvt.buf = samples_.data();
            cvt.len = static_cast<int>(wave.dataBytes);
            if (SDL_ConvertAudio(&cvt) != 0 || cvt.len_cvt <= 0) return StopWave();
            length = static_cast<Uint32>(cvt.len_cvt);
        }
        chunk_ = Mix_QuickLoad_RAW(samples_.data(), length);
        if (!chunk_ || Mix_PlayChannel(kWaveChannel, chunk_, 0) < 0) StopWave();
    }

    void StopWave() {
        if (chunk_) {
            Mix_HaltChannel(kWaveChannel);
            Mix_FreeChunk(chunk_);  // the samples stay ours
            chunk_ = nullptr;
        }
        std::vector<Uint8>().swap(samples_);
    }

    bool terminated_ = false;  // a SIGTERM came while a box showed
    bool triedAudio_ = false;  // once: no device now means none for the run
    bool audio_ = false;
    Mix_Chunk* chunk_ = nullptr;
    std::vector<Uint8> samples_;
};

}  // namespace

std::unique_ptr<System> MakeSdlSystem() { return std::make_unique<SdlSystem>(); }

}  // namespace platform
