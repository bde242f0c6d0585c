// Audio CD: a drive found by its name, opened, queried and played by track.
// Positions are in tracks/minutes/seconds/frames, the track in the lowest byte.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Positions: the track in the lowest byte, then minutes, seconds and frames,
// 75 frames (sectors) a second.
constexpr int kCdFramesPerSecond = 75;
constexpr std::uint32_t Tmsf(int track, int minutes = 0, int seconds = 0, int frames = 0) {
    return std::uint32_t(track & 0xFF) | std::uint32_t(minutes & 0xFF) << 8 | std::uint32_t(seconds & 0xFF) << 16 |
           std::uint32_t(frames & 0xFF) << 24;
}
constexpr int TmsfTrack(std::uint32_t position) { return static_cast<int>(position & 0xFF); }
constexpr int TmsfMinutes(std::uint32_t position) { return static_cast<int>(position >> 8 & 0xFF); }
constexpr int TmsfSeconds(std::uint32_t position) { return static_cast<int>(position >> 16 & 0xFF); }
constexpr int TmsfFrames(std::uint32_t position) { return static_cast<int>(position >> 24 & 0xFF); }

enum class DriveType { NoDrive, CdRom, Other };
enum class CdMode { NotOpen, Stopped, Playing, Other };

class CdAudio {
public:
    virtual ~CdAudio() = default;

    virtual DriveType TypeOfDrive(const std::string& drive) = 0;  // "B:" .. "N:"
    // Closes an open device first. False when the device refuses; ErrorText says why.
    virtual bool Open(const std::string& drive) = 0;
    virtual std::string ErrorText() const = 0;
    virtual void Close() = 0;  // nothing when not open

    // Each query gives false when it fails (and the device is then taken as silent).
    virtual bool MediaPresent(bool& present) = 0;
    virtual bool SetTrackTimeFormat() = 0;
    virtual bool TrackCount(std::int32_t& count) = 0;
    virtual bool TrackStart(std::int32_t track, std::uint32_t& position) = 0;
    virtual bool Mode(CdMode& mode) = 0;
    virtual bool Position(std::uint32_t& position) = 0;

    virtual bool Seek(std::uint32_t position) = 0;  // waits until done
    virtual bool Play() = 0;                        // from the current position, on into the later tracks
    virtual bool Stop() = 0;
};

}  // namespace platform
