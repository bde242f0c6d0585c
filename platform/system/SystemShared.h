// What the system and music back ends share: robot modules through dlopen,
// bounded file reads, the module, WAVE and Standard MIDI File checks, and the
// music objects the game holds by pointer.
#pragma once

#include "Music.h"
#include "System.h"
#include "WaveParser.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// "<Name>" opens <Name>.so from the executable's folder, else from `currentDirectory`.
// A file there that is not a whole shared library counts as one that cannot be opened.
Module* OpenModule(const std::string& bareName, const std::string& currentDirectory);
void* ModuleFunction(Module* module, const char* name);
void CloseModule(Module* module);

// A regular file holding a 64-bit ELF shared library of this machine whose
// program headers and loadable segments all lie inside it: the dynamic loader
// would otherwise block on a FIFO or fault on pages past the end of the file.
bool IsWholeSharedLibrary(const std::string& path);

// At most `maxBytes` of a regular file; false when it cannot be read.
bool ReadFilePrefix(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& bytes);

// `name` as is when absolute or when there is no directory, else directory/name.
std::string JoinPath(const std::string& directory, const std::string& name);

struct WaveFile {
    bool found = false;     // the file was read
    bool playable = false;  // a WAVE image with data in a format a mixer plays
    std::vector<std::uint8_t> bytes;
    WaveFormat format{};
    std::size_t dataOffset = 0;
    std::uint32_t dataBytes = 0;  // whole sample frames only
};
WaveFile ReadWaveFile(const std::string& path);

// A regular file holding a Standard MIDI File that can be played to its end
// and lasts some time: anything else is a tune that cannot be loaded.
bool IsStandardMidiFile(const std::string& path);
bool ReadPlayableMidi(const std::string& path, std::vector<std::uint8_t>& bytes);  // its bytes, when it is one

struct MusicSegment {
    std::string file;
    std::uint32_t loopStart = 0, loopEnd = 0, repeats = 0;
    void* native = nullptr;  // the back end's own tune, if it has one
};

struct MusicSegmentState {
    MusicSegment* segment = nullptr;  // not to be followed once the segment is released
};

}  // namespace platform
