#include "DeviceFakes.h"
#include "Devices.h"
#include "GameState.h"
#include "HeadlessSound.h"
#include "WaveImage.h"

#include <gtest/gtest.h>

#include <memory>

using platform::HeadlessSound;
using platform::SoundStep;

namespace {

const char* const kGameSounds[] = {"HITTED1", "HITTED2", "HITTED3", "HITTED4", "S_BEGIN", "ATTACK1"};

class SoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : kGameSounds)
            resources.Add(name, WaveImage().Format().Chunk("fact", {4, 0, 0, 0}).Data({10, 20, 30, static_cast<std::uint8_t>(name[6])}).Bytes());
        devices = Devices{};
        devices.services = {.application = &application, .display = nullptr, .keyboard = nullptr, .joysticks = nullptr,
                            .sound = &sound, .music = nullptr, .system = &system, .files = nullptr, .resources = &resources};
    }
    void TearDown() override { devices = Devices{}; }

    const HeadlessSound::Buffer* Buffer(platform::SoundBuffer* buffer) { return HeadlessSound::Inspect(buffer); }

    HeadlessSound sound;
    RecordingSystem system;
    RecordingApplication application;
    TestResources resources;
    Devices devices{};
    std::unique_ptr<TForm1> form{new TForm1(devices)};
    SoundObjects& objects = devices.sound;
};

}  // namespace

TEST_F(SoundTest, StartUpMakesBothHitSetsAndTheStartJingle) {
    form->StartDS();
    EXPECT_FALSE(application.Closed());
    EXPECT_TRUE(system.boxes.empty());
    for (int k = 0; k < 4; ++k) {
        ASSERT_NE(objects.HitSoundBuffers[0][k], nullptr);
        ASSERT_NE(objects.HitSoundBuffers[1][k], nullptr);
        EXPECT_EQ(Buffer(objects.HitSoundBuffers[1][k])->bytes, Buffer(objects.HitSoundBuffers[0][k])->bytes)
            << "the second set shares the first set's sound";
    }
    EXPECT_EQ((*Buffer(objects.HitSoundBuffers[0][2])->bytes), (std::vector<std::uint8_t>{10, 20, 30, '3'}));
    EXPECT_EQ((*Buffer(objects.JingleBuffer)->bytes)[3], 'N');
}

struct StartFailure {
    SoundStep step;
    int successes;  // calls of the step that still succeed
    const char* text;
};

class SoundStartFailure : public SoundTest, public ::testing::WithParamInterface<StartFailure> {};

TEST_P(SoundStartFailure, ReleasesEverythingShowsItsTextAndCloses) {
    sound.Refuse(GetParam().step, GetParam().successes);
    form->StartDS();
    const char* text = GetParam().text;
    EXPECT_EQ(application.closes, 1);
    EXPECT_EQ(system.Texts(), text ? std::vector<std::string>{text} : std::vector<std::string>{});
    EXPECT_FALSE(sound.DeviceExists());
    EXPECT_EQ(sound.LiveBuffers(), 0);
    EXPECT_EQ(objects.JingleBuffer, nullptr);
    EXPECT_FALSE(objects.dsound);
    EXPECT_TRUE(std::string(devices.closeReason).starts_with("sound: ")) << devices.closeReason;
}

INSTANTIATE_TEST_SUITE_P(EachStep, SoundStartFailure,
                         ::testing::Values(StartFailure{SoundStep::CreateDevice, 0, nullptr},
                                           StartFailure{SoundStep::SetPriorityLevel, 0, "協調レベル設定失敗"},
                                           StartFailure{SoundStep::SetSpeakersMono, 0, "協調レベル設定失敗"},
                                           StartFailure{SoundStep::CreatePrimaryBuffer, 0, "プライマリバッファ設定失敗"},
                                           StartFailure{SoundStep::SetPrimaryFormat, 0, "設定失敗"},
                                           StartFailure{SoundStep::CreateBuffer, 2, "セカンダリ設定失敗1"},  // third hit sound
                                           StartFailure{SoundStep::CreateBuffer, 4, "セカンダリ設定失敗2"}));  // start jingle

TEST_F(SoundTest, BrokenResourcesShowTheirCodeAndAreRefused) {
    form->StartDS();
    resources.Add("SHORTFMT", WaveImage().Format(13).Data({1}).Bytes());
    platform::SoundBuffer* slot = nullptr;
    EXPECT_EQ(form->CreateSoundData("SHORTFMT", &slot), 0);
    EXPECT_EQ(system.Texts(), std::vector<std::string>{"WaveFormatデータの読み込み失敗6"});
    EXPECT_FALSE(sound.DeviceExists()) << "a refused buffer releases every sound object";
    EXPECT_EQ(objects.HitSoundBuffers[1][0], nullptr);

    // With no device left, every later buffer is refused too.
    EXPECT_EQ(form->CreateSoundData("HITTED1", &slot), 0);
    EXPECT_EQ(form->CreateSoundData("NOSUCHNAME", &slot), 0);
    EXPECT_EQ(system.Texts().back(), "WaveFormatデータの読み込み失敗1");
}

TEST_F(SoundTest, ResourceLookupFailuresHaveTheirOwnCodes) {
    WaveChunkPlace place;
    resources.failLoad = "HITTED1";
    resources.failBytes = "HITTED2";
    EXPECT_EQ(form->FindWaveChunks("NOPE", place), 1);
    EXPECT_EQ(form->FindWaveChunks("HITTED1", place), 2);
    EXPECT_EQ(form->FindWaveChunks("HITTED2", place), 3);
    EXPECT_EQ(form->FindWaveChunks("HITTED3", place), 8);
    EXPECT_EQ(place.dataLength, 4u);
}

TEST_F(SoundTest, TheFirstNonEmptyDataChunkIsTheSound) {
    form->StartDS();
    resources.Add("TWODATA", WaveImage().Format().Data({}).Data({1, 2, 3}).Bytes());
    platform::SoundBuffer* slot = nullptr;
    ASSERT_EQ(form->CreateSoundData("TWODATA", &slot), 1);
    EXPECT_EQ(*Buffer(slot)->bytes, (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_TRUE(system.boxes.empty());
}

TEST_F(SoundTest, ALostBufferIsRestoredAndLockedAgainAFailedLockLeavesSilence) {
    form->StartDS();
    sound.Refuse(SoundStep::Lock);
    platform::SoundBuffer* slot = nullptr;
    EXPECT_EQ(form->CreateSoundData("ATTACK1", &slot), 1);
    EXPECT_EQ(*Buffer(slot)->bytes, (std::vector<std::uint8_t>(4, 0x80)));
    sound.Allow(SoundStep::Lock);

    // Lost on its first play: restored, silent this time, heard the next.
    form->PlayFromStart(slot, false);
    EXPECT_EQ(Buffer(slot)->plays, 1);
    HeadlessSound::Lose(slot);
    form->PlayFromStart(slot, false);
    EXPECT_EQ(Buffer(slot)->plays, 1);
    form->PlayFromStart(slot, false);
    EXPECT_EQ(Buffer(slot)->plays, 2);
}

TEST_F(SoundTest, HitSoundsMatchTheirNamesExactlyAndEachPlayerHasItsOwnSet) {
    form->StartDS();
    for (const char* other : {"HITTED5", "hitted2", "", "HITTED2 "}) form->HitSound1(other);
    form->HitSound1(nullptr);
    for (auto* buffer : objects.HitSoundBuffers[0]) EXPECT_EQ(Buffer(buffer)->plays, 0);

    form->HitSound1("HITTED2");
    sound.PlayOn(objects.HitSoundBuffers[0][1], 2);
    ASSERT_EQ(Buffer(objects.HitSoundBuffers[0][1])->position, 2u);
    form->HitSound1("HITTED2");  // restarts the same buffer from its start
    form->HitSound2("HITTED2");
    EXPECT_EQ(Buffer(objects.HitSoundBuffers[0][1])->plays, 2);
    EXPECT_EQ(Buffer(objects.HitSoundBuffers[1][1])->plays, 1);
    EXPECT_EQ(Buffer(objects.HitSoundBuffers[0][1])->position, 0u);
}

TEST_F(SoundTest, ReleasingTwiceOrWithoutADeviceDoesNothing) {
    form->EndDirectSound();
    form->StartDS();
    form->EndDirectSound();
    form->EndDirectSound();
    EXPECT_EQ(sound.LiveBuffers(), 0);
    form->PlayFromStart(objects.JingleBuffer, true);  // null: nothing
    form->StopSound(objects.JingleBuffer);
    form->HitSound1("HITTED1");
}

TEST_F(SoundTest, AJingleThatCannotBeMadeClosesTheForm) {
    form->StartDS();
    ASSERT_TRUE(form->LoadJingle("S_BEGIN"));
    EXPECT_EQ(sound.LiveBuffers(), 1 + 4 + 4 + 1) << "the old jingle is released first";
    EXPECT_FALSE(form->LoadJingle("S_MISSING"));
    EXPECT_EQ(system.Texts(), (std::vector<std::string>{"WaveFormatデータの読み込み失敗1", "セカンダリ設定失敗1"}));
    EXPECT_EQ(application.closes, 1);
    EXPECT_EQ(objects.JingleBuffer, nullptr);
    EXPECT_STREQ(devices.closeReason, "sound: cannot make the sound S_MISSING");
}
