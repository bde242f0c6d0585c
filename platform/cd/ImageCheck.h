// What a named disc source must be before libcdio is let near it: a drive (a
// block device) or a BIN/CUE image whose cue sheet our own bounded reader
// finds sound. libcdio trusts a sheet's track count and blocks on a FIFO; a
// source refused here is simply no disc.
#pragma once

#include <string>
#include <vector>

namespace platform {

struct CheckedSource {
    enum Kind { Refused, Drive, Image } kind = Refused;
    std::string path;                // the device, or the cue sheet to open
    std::vector<std::string> files;  // an image's sheet and every file it names
};

// `source` is a device, an image's .cue, or its .bin (the .cue beside it is read).
CheckedSource CheckSource(const std::string& source);

// True when the sheet at `cue` is small, has 1-99 TRACK lines numbered in
// strictly increasing order, and every FILE it names is a regular file
// (added to `files`).
bool CheckCueSheet(const std::string& cue, std::vector<std::string>& files);

}  // namespace platform
