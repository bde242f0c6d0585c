// The players' CD through libcdio: the drive names "B:" .. "N:" stand for the
// drive or disc image that VORNTAK_CD names, or else for the system's optical
// drives in order. A disc is played by reading its sound, mixed into the one
// audio device the sounds and the music share.
#include "PlayerBackends.h"

#include "DiscPlayer.h"
#include "SdlAudio.h"

#include <SDL_mixer.h>
#include <cdio/cdio.h>
#include <cdio/logging.h>

#include <sys/stat.h>

#include <cstdlib>
#include <memory>
#include <set>
#include <utility>
#include <vector>

namespace platform {
namespace {

constexpr char kFirstLetter = 'B', kLastLetter = 'N';

// libcdio's notes on odd images and absent drives are no business of the player's.
void Quiet(cdio_log_level_t, const char*) {}

// The drive or image behind each name, from "B:" on.
std::vector<std::string> CdSources() {
    if (const char* named = std::getenv("VORNTAK_CD"); named && *named) return {named};
    std::vector<std::string> sources;
    std::set<std::pair<std::uint64_t, std::uint64_t>> seen;  // /dev/cdrom and /dev/sr0 are one drive
    char** devices = cdio_get_devices(DRIVER_DEVICE);
    for (char** device = devices; device && *device; ++device) {
        struct stat info {};
        if (::stat(*device, &info) != 0) continue;
        const auto key = S_ISBLK(info.st_mode) || S_ISCHR(info.st_mode) ? std::pair<std::uint64_t, std::uint64_t>(0, info.st_rdev)
                                                                        : std::pair<std::uint64_t, std::uint64_t>(info.st_dev, info.st_ino);
        if (seen.insert(key).second) sources.push_back(*device);
    }
    cdio_free_device_list(devices);
    return sources;
}

class LibcdioCd final : public CdAudio {
public:
    LibcdioCd() { cdio_log_set_handler(&Quiet); }
    ~LibcdioCd() override {
        Close();
        if (audio_) ReleaseSdlAudio();
    }

    DriveType TypeOfDrive(const std::string& drive) override {
        // The drives are listed afresh as each walk over the names begins.
        if (drive == std::string{kFirstLetter, ':'} || !listed_) {
            sources_ = CdSources();
            listed_ = true;
        }
        const int slot = Slot(drive);
        return slot >= 0 && slot < static_cast<int>(sources_.size()) ? DriveType::CdRom : DriveType::NoDrive;
    }

    bool Open(const std::string& drive) override {
        Close();
        if (TypeOfDrive(drive) != DriveType::CdRom) return Fail("The specified device is not open or is not recognized.");
        if (!OpenAudio()) return Fail("There is no audio device to play the disc through.");
        if (!player_) player_ = std::make_unique<DiscPlayer>();
        if (!player_->Open(sources_[Slot(drive)])) return Fail("The CD device could not be opened: " + sources_[Slot(drive)]);
        if (!Mix_RegisterEffect(MIX_CHANNEL_POST, &LibcdioCd::Mix, nullptr, player_.get())) {
            player_->Close();
            return Fail(std::string("The disc cannot be mixed: ") + Mix_GetError());
        }
        error_.clear();
        return true;
    }

    std::string ErrorText() const override { return error_; }

    void Close() override {
        if (!player_ || !player_->IsOpen()) return;
        Mix_UnregisterEffect(MIX_CHANNEL_POST, &LibcdioCd::Mix);  // returns once the mixer no longer mixes it
        player_->Close();
    }

    bool MediaPresent(bool& present) override {
        present = Opened() && player_->MediaPresent();
        return Opened();
    }

    bool SetTrackTimeFormat() override { return Opened(); }  // positions are always tracks/minutes/seconds/frames

    bool TrackCount(std::int32_t& count) override {
        count = Playable() ? player_->Toc().count : 0;
        return Playable();
    }

    bool TrackStart(std::int32_t track, std::uint32_t& position) override {
        position = 0;
        if (!Playable() || track < 1 || track > player_->Toc().count) return false;
        position = static_cast<std::uint32_t>(track);
        return true;
    }

    bool Mode(CdMode& mode) override {
        mode = Opened() ? player_->Mode() : CdMode::NotOpen;
        return true;
    }

    bool Position(std::uint32_t& position) override {
        position = Playable() ? player_->Position() : 0;
        return Playable();
    }

    bool Seek(std::uint32_t position) override { return Opened() && player_->Seek(position); }
    bool Play() override { return Opened() && player_->Play(); }
    bool Stop() override { return Opened() && player_->Stop(); }

private:
    static int Slot(const std::string& drive) {
        if (drive.size() != 2 || drive[1] != ':' || drive[0] < kFirstLetter || drive[0] > kLastLetter) return -1;
        return drive[0] - kFirstLetter;
    }

    bool Opened() const { return player_ && player_->IsOpen(); }
    bool Playable() const { return Opened() && player_->MediaPresent(); }

    bool Fail(std::string text) {
        error_ = std::move(text);
        return false;
    }

    // The device is taken at the first open and kept for the run.
    bool OpenAudio() {
        if (!triedAudio_) {
            triedAudio_ = true;
            audio_ = AcquireSdlAudio();
        }
        return audio_;
    }

    // The mixer's output is fixed 16-bit stereo (SdlAudio).
    static void Mix(int, void* stream, int bytes, void* player) {
        static_cast<DiscPlayer*>(player)->MixInto(static_cast<std::int16_t*>(stream), bytes / 2);
    }

    std::vector<std::string> sources_;
    bool listed_ = false;
    std::unique_ptr<DiscPlayer> player_;
    std::string error_;
    bool triedAudio_ = false, audio_ = false;
};

}  // namespace

std::unique_ptr<CdAudio> MakeLibcdioCdAudio() { return std::make_unique<LibcdioCd>(); }

}  // namespace platform
