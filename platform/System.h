// The rest of what the game asks of the system: message boxes, sleeping, the
// clock, playing a WAVE file by name, and loading robot modules.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

struct Module;  // a loaded shared library

class System {
public:
    virtual ~System() = default;

    // A modal box with one OK button and no owner window; returns when dismissed.
    virtual void MessageBox(const char* text, const char* caption) = 0;
    virtual void Sleep(std::uint32_t milliseconds) = 0;
    virtual std::uint32_t ClockSeconds() = 0;
    virtual std::string CurrentDirectory() = 0;

    // Plays a WAVE file asynchronously; a missing or broken file is silent.
    // An empty name stops the one playing.
    virtual void PlayWaveFile(const std::string& path) = 0;

    // "<Name>" loads <Name>.so from the executable's folder, else the current one. Null when it fails.
    virtual Module* LoadModule(const std::string& bareName) = 0;
    virtual void* FindFunction(Module* module, const char* name) = 0;  // null when missing
    virtual void UnloadModule(Module* module) = 0;
};

}  // namespace platform
