#include "DiscCd.h"

#include "DiscPlayer.h"
#include "SdlAudio.h"

#include <SDL_mixer.h>

#include <memory>
#include <utility>
#include <vector>

namespace platform {
namespace {

constexpr char kFirstLetter = 'B', kLastLetter = 'N';

class DiscCd final : public CdAudio {
public:
    explicit DiscCd(DiscDrives drives) : drives_(std::move(drives)) {}
    ~DiscCd() override {
        Close();
        if (audio_) ReleaseSdlAudio();
    }

    DriveType TypeOfDrive(const std::string& drive) override {
        // The drives are listed afresh as each walk over the names begins, on
        // a worker: listing opens each drive, and a stuck one would hold the frame.
        if (drive == std::string{kFirstLetter, ':'} || !listed_) {
            auto listed = std::make_shared<std::vector<std::string>>();
            const bool answered = player_.Ask([list = drives_.list, listed] { *listed = list(); });
            sources_ = answered ? std::move(*listed) : std::vector<std::string>{};
            listed_ = true;
        }
        const int slot = Slot(drive);
        return slot >= 0 && slot < static_cast<int>(sources_.size()) ? DriveType::CdRom : DriveType::NoDrive;
    }

    bool Open(const std::string& drive) override {
        Close();
        if (TypeOfDrive(drive) != DriveType::CdRom) return Fail("The specified device is not open or is not recognized.");
        if (!OpenAudio()) return Fail("There is no audio device to play the disc through.");
        const std::string source = sources_[Slot(drive)];
        if (!player_.Open([open = drives_.open, source] { return open(source); }))
            return Fail("The CD device could not be opened: " + source);
        if (!Mix_RegisterEffect(MIX_CHANNEL_POST, &DiscCd::Mix, nullptr, &player_)) {
            player_.Close();
            return Fail(std::string("The disc cannot be mixed: ") + Mix_GetError());
        }
        error_.clear();
        return true;
    }

    std::string ErrorText() const override { return error_; }

    void Close() override {
        if (!player_.IsOpen()) return;
        Mix_UnregisterEffect(MIX_CHANNEL_POST, &DiscCd::Mix);  // returns once the mixer no longer mixes it
        player_.Close();
    }

    bool MediaPresent(bool& present) override {
        present = player_.MediaPresent();
        return player_.IsOpen();
    }

    bool SetTrackTimeFormat() override { return player_.IsOpen(); }  // positions are always tracks/minutes/seconds/frames

    bool TrackCount(std::int32_t& count) override {
        count = Playable() ? player_.Toc().count : 0;
        return Playable();
    }

    bool TrackStart(std::int32_t track, std::uint32_t& position) override {
        position = 0;
        if (!Playable() || track < 1 || track > player_.Toc().count) return false;
        position = Tmsf(track);
        return true;
    }

    bool Mode(CdMode& mode) override {
        mode = player_.Mode();
        return true;
    }

    bool Position(std::uint32_t& position) override {
        position = Playable() ? player_.Position() : 0;
        return Playable();
    }

    bool Seek(std::uint32_t position) override { return player_.Seek(position); }
    bool Play() override { return player_.Play(); }
    bool Stop() override { return player_.Stop(); }

private:
    static int Slot(const std::string& drive) {
        if (drive.size() != 2 || drive[1] != ':' || drive[0] < kFirstLetter || drive[0] > kLastLetter) return -1;
        return drive[0] - kFirstLetter;
    }

    // The last answer known: the game's frame queries never wait on the disc.
    bool Playable() const { return player_.Present(); }

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

    DiscDrives drives_;
    std::vector<std::string> sources_;
    bool listed_ = false;
    DiscPlayer player_;
    std::string error_;
    bool triedAudio_ = false, audio_ = false;
};

}  // namespace

std::unique_ptr<CdAudio> MakeDiscCdAudio(DiscDrives drives) { return std::make_unique<DiscCd>(std::move(drives)); }

}  // namespace platform
