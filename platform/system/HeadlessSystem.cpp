#include "HeadlessSystem.h"

#include "BoundedRead.h"
#include "ModuleLoader.h"
#include "WaveFile.h"

#include <filesystem>

namespace platform {

HeadlessSystem::HeadlessSystem() {
    std::error_code error;
    currentDirectory = std::filesystem::current_path(error).string();
}

void HeadlessSystem::MessageBox(const char* text, const char* caption) {
    boxes.push_back({text ? text : "", caption ? caption : ""});
}

void HeadlessSystem::Sleep(std::uint32_t milliseconds) { sleeps.push_back(milliseconds); }

std::uint32_t HeadlessSystem::ClockSeconds() { return clockSeconds; }

std::string HeadlessSystem::CurrentDirectory() { return currentDirectory; }

void HeadlessSystem::PlayWaveFile(const std::string& path) {
    if (path.empty()) {
        wavePlays.push_back({});
        return;
    }
    const WaveFile wave = ReadWaveFile(JoinPath(currentDirectory, path));
    wavePlays.push_back({path, wave.found, wave.playable});
}

Module* HeadlessSystem::LoadModule(const std::string& bareName) {
    moduleLoads.push_back(bareName);
    return OpenModule(bareName, currentDirectory);
}

void* HeadlessSystem::FindFunction(Module* module, const char* name) { return ModuleFunction(module, name); }

void HeadlessSystem::UnloadModule(Module* module) { CloseModule(module); }

}  // namespace platform
