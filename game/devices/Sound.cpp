// Sound effects and jingles: every sound is a WAVE resource of the game in a
// static buffer of its own, played from its start on demand.
#include "Devices.h"
#include "GameState.h"
#include "WaveParser.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

platform::SoundDevice& Sound(Devices& devices) { return *devices.services.sound; }

void ReleaseBuffer(Devices& devices, platform::SoundBuffer*& buffer) {
    if (!buffer) return;
    Sound(devices).Release(buffer);
    buffer = nullptr;
}

constexpr const char* kHitSoundNames[4] = {"HITTED1", "HITTED2", "HITTED3", "HITTED4"};

}  // namespace

void TForm1::CloseForm() { devices.services.application->Close(); }

void TForm1::CloseFormOnError(const char* format, ...) {
    if (!Closing() && !devices.closeReason[0]) {
        std::va_list arguments;
        va_start(arguments, format);
        std::vsnprintf(devices.closeReason, sizeof devices.closeReason, format, arguments);
        va_end(arguments);
    }
    CloseForm();
}

bool TForm1::Closing() const { return devices.services.application->Closed(); }

void TForm1::StartDS() {
    SoundObjects& s = devices.sound;
    auto fail = [&](const char* text, const char* what, const char* name = "") {
        EndDirectSound();
        if (text) ShowError(devices, text);
        CloseFormOnError("sound: %s%s", what, name);
    };

    if (!Sound(devices).CreateDevice()) return fail(nullptr, "no audio device could be opened");
    s.dsound = true;
    if (!Sound(devices).SetPriorityLevel()) return fail("協調レベル設定失敗", "the audio device refused the priority level");
    if (!Sound(devices).SetSpeakersMono()) return fail("協調レベル設定失敗", "the audio device refused the speaker set-up");
    s.primarySoundBuffer = Sound(devices).CreatePrimaryBuffer();
    if (!s.primarySoundBuffer) return fail("プライマリバッファ設定失敗", "the audio device gave no primary buffer");
    if (!Sound(devices).SetPrimaryFormat(s.primarySoundBuffer, {.channels = 2, .samplesPerSecond = 44100, .bitsPerSample = 16}))
        return fail("設定失敗", "the audio device refused 44100 Hz 16-bit stereo");

    for (int k = 0; k < 4; ++k)
        if (!CreateSoundData(kHitSoundNames[k], &s.HitSoundBuffers[0][k]))
            return fail("セカンダリ設定失敗1", "cannot make the sound ", kHitSoundNames[k]);

    // The second set shares the sounds, so both players' hits can sound at once.
    for (int k = 0; k < 4; ++k) s.HitSoundBuffers[1][k] = Sound(devices).Duplicate(s.HitSoundBuffers[0][k]);

    ReleaseBuffer(devices, s.JingleBuffer);
    if (!CreateSoundData("S_BEGIN", &s.JingleBuffer)) return fail("セカンダリ設定失敗2", "cannot make the sound ", "S_BEGIN");
}

void TForm1::EndDirectSound() {
    SoundObjects& s = devices.sound;
    if (!s.dsound) return;
    ReleaseBuffer(devices, s.JingleBuffer);
    for (auto& set : s.HitSoundBuffers)
        for (auto& buffer : set) ReleaseBuffer(devices, buffer);
    for (auto& player : s.WeaponSoundBuffers)
        for (auto& buffer : player) ReleaseBuffer(devices, buffer);
    s.primarySoundBuffer = nullptr;  // goes with the device
    Sound(devices).ReleaseDevice();
    s.dsound = false;
}

platform::WaveScanCode TForm1::FindWaveChunks(const char* name, WaveChunkPlace& place) {
    place = {};
    platform::ResourceStore& store = *devices.services.resources;
    const platform::Resource* resource = store.Find("WAVE", name);
    if (!resource) return platform::WaveNoResource;
    if (!store.Load(resource)) return platform::WaveCannotLoad;
    const std::uint8_t* bytes = store.Bytes(resource);
    if (!bytes) return platform::WaveCannotLock;

    const platform::WaveChunks chunks = platform::ScanWave(bytes, resource->size);
    place = {chunks.format, chunks.formatBytes, chunks.data, chunks.dataBytes};
    return chunks.code;
}

int TForm1::CreateSoundData(const char* name, platform::SoundBuffer** slot) {
    WaveChunkPlace place;
    const platform::WaveScanCode code = FindWaveChunks(name, place);
    if (code != platform::WaveFound) ShowError(devices, "WaveFormatデータの読み込み失敗" + std::to_string(code));

    // Without a device this is a refused buffer too.
    platform::SoundBuffer* buffer = nullptr;
    if (devices.sound.dsound)
        buffer = Sound(devices).CreateBuffer({.format = place.format, .formatBytes = place.formatBytes, .bytes = place.dataLength});
    if (!buffer) {
        EndDirectSound();
        return 0;
    }
    *slot = buffer;

    platform::LockedRegions regions;
    platform::SoundResult locked = Sound(devices).Lock(buffer, 0, place.dataLength, regions);
    if (locked == platform::SoundResult::BufferLost) {
        Sound(devices).Restore(buffer);
        locked = Sound(devices).Lock(buffer, 0, place.dataLength, regions);
    }
    if (locked == platform::SoundResult::Ok) {
        const std::uint32_t first = std::min(regions.firstBytes, place.dataLength);
        std::memcpy(regions.first, place.data, first);
        if (regions.secondBytes != 0)
            std::memcpy(regions.second, place.data + first, std::min(regions.secondBytes, place.dataLength - first));
        Sound(devices).Unlock(buffer, regions);
    }
    return 1;  // also when the lock failed: the buffer then holds silence
}

void TForm1::PlayFromStart(platform::SoundBuffer* buffer, bool looping) {
    if (!buffer) return;
    Sound(devices).SetPosition(buffer, 0);
    if (Sound(devices).Play(buffer, looping) == platform::SoundResult::BufferLost) Sound(devices).Restore(buffer);
}

void TForm1::StopSound(platform::SoundBuffer* buffer) {
    if (buffer) Sound(devices).Stop(buffer);
}

namespace {
void PlayHitSound(TForm1& form, platform::SoundBuffer* (&set)[4], const char* name) {
    if (!name) return;
    for (int k = 0; k < 4; ++k)
        if (std::strcmp(name, kHitSoundNames[k]) == 0) return form.PlayFromStart(set[k], false);
}
}  // namespace

void TForm1::HitSound1(const char* name) { PlayHitSound(*this, devices.sound.HitSoundBuffers[0], name); }

void TForm1::HitSound2(const char* name) { PlayHitSound(*this, devices.sound.HitSoundBuffers[1], name); }

void TForm1::PlayJingle() { PlayFromStart(devices.sound.JingleBuffer, false); }

bool TForm1::LoadJingle(const char* name) {
    ReleaseBuffer(devices, devices.sound.JingleBuffer);
    const bool device = devices.sound.dsound;
    if (CreateSoundData(name, &devices.sound.JingleBuffer)) return true;
    EndDirectSound();
    ShowError(devices, "セカンダリ設定失敗1");
    if (device)
        CloseFormOnError("sound: cannot make the sound %s", name);
    else if (const char* module = devices.sound.lostWithModule)  // its empty fire sounds took the device
        CloseFormOnError("robot module: %s.so could not be bound (it is looked up in the program's folder, "
                         "then in the current folder)",
                         module);
    else  // a robot's fire sound failed before, and the device went with it
        CloseFormOnError("sound: no audio device left for the sound %s", name);
    return false;
}
