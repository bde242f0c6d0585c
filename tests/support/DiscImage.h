// A small audio disc image made at test time: one BIN file of tone tracks and
// its CUE sheet. A track may lead in with a silent pregap (INDEX 00).
#pragma once

#include "CdAudio.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

struct ToneTrack {
    int sectors;         // of its tone, 75 a second
    double hertz;        // the tone, the same in both channels; 0: a data track
    int pregapSectors;   // silence before it, counted with it
};

constexpr int kSectorBytes = 2352;
constexpr int kToneAmplitude = 16000;

// Writes <folder>/<name>.bin and .cue; the .cue's path is returned.
inline std::string WriteDiscImage(const std::filesystem::path& folder, const std::string& name,
                                  const std::vector<ToneTrack>& tracks) {
    std::filesystem::create_directories(folder);
    std::ofstream bin(folder / (name + ".bin"), std::ios::binary);
    std::string cue = "FILE \"" + name + ".bin\" BINARY\n";
    int sector = 0;
    for (std::size_t t = 0; t < tracks.size(); ++t) {
        const ToneTrack& track = tracks[t];
        char line[96];
        std::snprintf(line, sizeof line, "  TRACK %02zu %s\n", t + 1, track.hertz ? "AUDIO" : "MODE1/2352");
        cue += line;
        auto index = [&](int number) {
            constexpr int second = platform::kCdFramesPerSecond;
            std::snprintf(line, sizeof line, "    INDEX %02d %02d:%02d:%02d\n", number, sector / second / 60,
                          sector / second % 60, sector % second);
            cue += line;
        };
        if (track.pregapSectors) index(0);
        const std::vector<char> silence(std::size_t(track.pregapSectors) * kSectorBytes, 0);
        bin.write(silence.data(), static_cast<std::streamsize>(silence.size()));
        sector += track.pregapSectors;
        index(1);
        for (int frame = 0; frame < track.sectors * 588; ++frame) {
            const auto s = track.hertz ? static_cast<std::int16_t>(kToneAmplitude * std::sin(2 * M_PI * track.hertz * frame / 44100))
                                       : static_cast<std::int16_t>(frame * 40503u);  // data: loud if ever played
            const char bytes[4] = {char(s & 0xFF), char((s >> 8) & 0xFF), char(s & 0xFF), char((s >> 8) & 0xFF)};
            bin.write(bytes, 4);
        }
        sector += track.sectors;
    }
    const std::filesystem::path cuePath = folder / (name + ".cue");
    std::ofstream(cuePath) << cue;
    return cuePath.string();
}

// A scratch folder of the test's own, removed with it.
struct DiscFolder {
    std::filesystem::path path = std::filesystem::temp_directory_path() /
                                 ("vorntak-cd-" + std::to_string(::getpid()) + "-" + std::to_string(Next()));
    ~DiscFolder() {
        std::error_code error;
        std::filesystem::remove_all(path, error);
    }
    static int Next() {
        static int n = 0;
        return n++;
    }
};

// The disc the tests play: three tracks of 1, 1.2 and 1 s, the third after a 0.4 s pregap.
inline const std::vector<ToneTrack> kTestDisc{{75, 440, 0}, {90, 660, 0}, {75, 880, 30}};
