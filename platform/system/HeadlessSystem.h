// The system for tests: it shows, sleeps and plays nothing, but records what
// it was asked; the clock and the current directory are the test's to set.
// Robot modules load for real, the current folder being `currentDirectory`.
#pragma once

#include "System.h"

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

class HeadlessSystem final : public System {
public:
    struct Box {
        std::string text, caption;
        bool operator==(const Box&) const = default;
    };
    struct WavePlay {
        std::string path;       // empty: a stop
        bool found = false;     // the file could be read
        bool playable = false;  // and would have sounded
        bool operator==(const WavePlay&) const = default;
    };

    HeadlessSystem();

    // What the game sees.
    std::uint32_t clockSeconds = 0;
    std::string currentDirectory;  // the process's at construction

    // What the game asked, in order.
    std::vector<Box> boxes;
    std::vector<std::uint32_t> sleeps;
    std::vector<WavePlay> wavePlays;
    std::vector<std::string> moduleLoads;  // the bare names

    void MessageBox(const char* text, const char* caption) override;
    void Sleep(std::uint32_t milliseconds) override;
    std::uint32_t ClockSeconds() override;
    std::string CurrentDirectory() override;
    void PlayWaveFile(const std::string& path) override;
    Module* LoadModule(const std::string& bareName) override;
    void* FindFunction(Module* module, const char* name) override;
    void UnloadModule(Module* module) override;
};

}  // namespace platform
