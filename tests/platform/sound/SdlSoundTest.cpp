#include "PlayerBackends.h"
#include "SoundBuffers.h"
#include "WaveImage.h"
#include "WaveParser.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

// With SDL's dummy driver the mixer runs for real, only nobody hears it.
TEST(SdlSound, MixesOurBuffersWithoutASoundCard) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    auto device = platform::MakeSdlSound();
    ASSERT_TRUE(device->CreateDevice());
    platform::SoundBuffer* primary = device->CreatePrimaryBuffer();
    EXPECT_TRUE(device->SetPrimaryFormat(primary, {2, 44100, 16}));

    const auto image = WaveImage().Format().Data(std::vector<std::uint8_t>(800, 0xC0)).Bytes();
    platform::SoundBuffer* buffer = BufferOfWave(*device, image.data(), image.size());
    ASSERT_NE(buffer, nullptr);

    platform::SoundBuffer* twin = device->Duplicate(buffer);
    EXPECT_EQ(device->Play(buffer, false), platform::SoundResult::Ok);
    EXPECT_EQ(device->Play(twin, true), platform::SoundResult::Ok);
    SDL_Delay(150);
    device->Stop(twin);
    device->Release(buffer);
    device->Release(twin);
    EXPECT_EQ(device->Play(nullptr, false), platform::SoundResult::Failed);

    // Formats the mixer cannot play are refused.
    const std::uint8_t stereo24[16] = {1, 0, 2, 0, 0x40, 0x1F, 0, 0, 0, 0, 0, 0, 6, 0, 24, 0};
    EXPECT_EQ(device->CreateBuffer({stereo24, 16, 600}), nullptr);
    device->ReleaseDevice();
}

// The fall-back to the dummy driver must win over a driver the environment names.
TEST(SdlSound, AnAudioDriverThatDoesNotExistFallsBackToTheDummyOne) {
    setenv("SDL_AUDIODRIVER", "nosuchdriver", 1);
    auto device = platform::MakeSdlSound();
    EXPECT_TRUE(device->CreateDevice());
    EXPECT_STREQ(SDL_GetCurrentAudioDriver(), "dummy");
    device->ReleaseDevice();
}
