// A CD service with no drives at all: every name is no drive, nothing opens.
#include "PlayerBackends.h"


namespace platform {
namespace {

class NoCdAudio final : public CdAudio {
public:
    DriveType TypeOfDrive(const std::string&) override { return DriveType::NoDrive; }
    bool Open(const std::string&) override { return false; }
    std::string ErrorText() const override { return "No CD audio device."; }
    void Close() override {}

    bool MediaPresent(bool& present) override {
        present = false;
        return false;
    }
    bool SetTrackTimeFormat() override { return false; }
    bool TrackCount(std::int32_t& count) override {
        count = 0;
        return false;
    }
    bool TrackStart(std::int32_t, std::uint32_t& position) override {
        position = 0;
        return false;
    }
    bool Mode(CdMode& mode) override {
        mode = CdMode::NotOpen;
        return false;
    }
    bool Position(std::uint32_t& position) override {
        position = 0;
        return false;
    }
    bool Seek(std::uint32_t) override { return false; }
    bool Play() override { return false; }
    bool Stop() override { return false; }
};

}  // namespace

std::unique_ptr<CdAudio> MakeNoCdAudio() { return std::make_unique<NoCdAudio>(); }

}  // namespace platform
