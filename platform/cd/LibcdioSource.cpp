#include "LibcdioSource.h"

#include "ImageSource.h"

#include <cdio/cdio.h>
#include <cdio/logging.h>
#include <cdio/memory.h>
#include <cdio/mmc_ll_cmds.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <utility>

namespace platform {
namespace {

constexpr unsigned kDriveAskMs = 2000;  // a status asked no longer than this; no answer is no news

// libcdio's notes on odd images and absent drives are no business of the player's.
void Quiet(cdio_log_level_t, const char*) {}

// A drive; images go to our own reader.
class LibcdioSource final : public DiscSource {
public:
    explicit LibcdioSource(CdIo_t* disc) : disc_(disc) {
        if (!ReadToc(disc_, toc_)) toc_ = {};
    }
    ~LibcdioSource() override { cdio_destroy(disc_); }

    bool Read(std::int32_t first, int sectors, std::uint8_t* bytes) override {
        auto read = [&] {
            return cdio_read_audio_sectors(disc_, bytes, first, static_cast<unsigned>(sectors)) == DRIVER_OP_SUCCESS;
        };
        // One more try for a drive's passing hiccup.
        return read() || read();
    }

    bool StillThere() override {
        return watch_.StillThere(mmc_test_unit_ready(disc_, kDriveAskMs) == DRIVER_OP_SUCCESS ? -1 : Sense());
    }

private:
    // The additional sense code of the drive's last answer; -1 when it gave none.
    int Sense() const {
        cdio_mmc_request_sense_t* sense = nullptr;
        const int code = mmc_last_cmd_sense(disc_, &sense) > 12 && sense ? sense->asc : -1;
        cdio_free(sense);
        return code;
    }

    CdIo_t* disc_;
    MediumWatch watch_;
};

// A drive (a device file) or an image (its .cue or .bin), which our own
// reader takes; nothing when it will not open. A drive without a disc opens,
// with no tracks.
std::unique_ptr<DiscSource> OpenSource(const std::string& source) {
    struct stat info {};
    if (source.empty() || ::stat(source.c_str(), &info) != 0) return nullptr;
    if (!S_ISBLK(info.st_mode)) return OpenImage(source);
    CdIo_t* disc = cdio_open(source.c_str(), DRIVER_DEVICE);
    if (!disc) return nullptr;
    return std::make_unique<LibcdioSource>(disc);
}

// The drive or image behind each name, from "B:" on.
std::vector<std::string> ListSources() {
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

}  // namespace

bool ReadToc(CdIo_t* disc, DiscToc& toc) {
    toc = {};
    const track_t first = cdio_get_first_track_num(disc), count = cdio_get_num_tracks(disc);
    // Tracks are numbered from 1 on every disc the game knows; others are not played.
    if (first != 1 || count == CDIO_INVALID_TRACK || count < 1 || count > DiscToc::kMaxTracks) return false;
    toc.count = count;
    toc.leadOut = cdio_get_track_lsn(disc, CDIO_CDROM_LEADOUT_TRACK);
    std::int32_t previous = -1;
    for (int track = 1; track <= count; ++track) {
        const std::int32_t start = cdio_get_track_lsn(disc, static_cast<track_t>(track));
        const std::int32_t pregap = cdio_get_track_pregap_lsn(disc, static_cast<track_t>(track));
        if (start == CDIO_INVALID_LSN || start <= previous) return false;
        toc.index1[track] = start;
        toc.run[track] = pregap != CDIO_INVALID_LSN && pregap > previous && pregap <= start ? pregap : start;
        toc.audio[track] = cdio_get_track_format(disc, static_cast<track_t>(track)) == TRACK_FORMAT_AUDIO;
        previous = start;
    }
    toc.run[1] = std::min(toc.run[1], toc.index1[1]);
    return toc.index1[1] >= 0 && toc.leadOut != CDIO_INVALID_LSN && toc.leadOut > previous;
}

DiscDrives LibcdioDrives() {
    cdio_log_set_handler(&Quiet);
    return {&ListSources, &OpenSource};
}

}  // namespace platform
