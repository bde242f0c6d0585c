// A scripted CD drive for tests: the test says which drive letters are CD-ROM
// drives, puts in or takes out a disc of some tracks, moves the play on from
// track to track and makes any call fail; the drive records what it was sent.
#pragma once

#include "CdAudio.h"

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace platform {

enum class CdCall { Open, MediaPresent, SetTrackTimeFormat, TrackCount, TrackStart, Mode, Position, Seek, Play, Stop };

class FakeCd final : public CdAudio {
public:
    // The script.
    void SetDriveType(const std::string& drive, DriveType type) { drives_[drive] = type; }
    void InsertDisc(int tracks);  // the position goes to the start of track 1
    void RemoveDisc();            // a playing drive stops
    void Fail(CdCall call, bool fail = true);
    // The play moves on to `track`'s start; past the last track the drive stops.
    void AdvanceToTrack(int track);
    void SetMode(CdMode mode) { mode_ = mode; }

    // One entry a call that reached an open drive, e.g. "open D:", "media",
    // "tmsf", "tracks", "start 3", "mode", "position", "seek 0x00000003", "play", "stop", "close".
    const std::vector<std::string>& Log() const { return log_; }
    void ClearLog() { log_.clear(); }
    bool IsOpen() const { return open_; }
    const std::string& OpenDrive() const { return drive_; }

    DriveType TypeOfDrive(const std::string& drive) override;
    bool Open(const std::string& drive) override;
    std::string ErrorText() const override { return error_; }
    void Close() override;

    bool MediaPresent(bool& present) override;
    bool SetTrackTimeFormat() override;
    bool TrackCount(std::int32_t& count) override;
    bool TrackStart(std::int32_t track, std::uint32_t& position) override;
    bool Mode(CdMode& mode) override;
    bool Position(std::uint32_t& position) override;

    bool Seek(std::uint32_t position) override;
    bool Play() override;
    bool Stop() override;

private:
    bool Allowed(CdCall call, const std::string& entry, bool needsDisc);  // records; false when it fails

    std::map<std::string, DriveType> drives_;
    std::set<CdCall> failing_;
    std::vector<std::string> log_;
    std::string drive_, error_;
    bool open_ = false;
    bool disc_ = false;
    int tracks_ = 0;
    CdMode mode_ = CdMode::NotOpen;
    std::uint32_t position_ = 0;
};

}  // namespace platform
