// Small fakes of the platform services the device code talks to, for tests
// that need to see message boxes, closes and resources of their own making.
#pragma once

#include "Platform.h"

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

class RecordingSystem : public platform::System {
public:
    std::vector<std::pair<std::string, std::string>> boxes;  // text, caption
    std::vector<std::string> waveFiles;

    void MessageBox(const char* text, const char* caption) override { boxes.emplace_back(text, caption); }
    void Sleep(std::uint32_t) override {}
    std::uint32_t ClockSeconds() override { return 0; }
    std::string CurrentDirectory() override { return "/run"; }
    void PlayWaveFile(const std::string& path) override { waveFiles.push_back(path); }
    platform::Module* LoadModule(const std::string&) override { return nullptr; }
    void* FindFunction(platform::Module*, const char*) override { return nullptr; }
    void UnloadModule(platform::Module*) override {}

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& box : boxes) texts.push_back(box.first);
        return texts;
    }
};

// Closing is once only, as on the real application: `closes` counts the closes that took effect.
class RecordingApplication : public platform::Application {
public:
    int closes = 0;
    void SetCloseHandler(CloseHandler handler) override { onClose_ = std::move(handler); }
    void Run(const KeyHandler&, const IdleHandler&) override {}
    void Close() override {
        if (closes > 0) return;
        closes = 1;
        if (onClose_) onClose_();
    }
    bool Closed() const override { return closes > 0; }

private:
    CloseHandler onClose_;
};

// Resources a test makes; loading or reaching the bytes of one can be made to fail.
class TestResources : public platform::ResourceStore {
public:
    void Add(const std::string& name, std::vector<std::uint8_t> bytes) {
        images_[name] = std::move(bytes);
        const auto& image = images_[name];
        resources_[name] = {"WAVE", images_.find(name)->first.c_str(), image.data(), image.size()};
    }
    std::string failLoad, failBytes;

    const platform::Resource* Find(const char* type, const char* name) override {
        auto it = resources_.find(name);
        return std::string(type) == "WAVE" && it != resources_.end() ? &it->second : nullptr;
    }
    bool Load(const platform::Resource* resource) override { return failLoad != resource->name; }
    const std::uint8_t* Bytes(const platform::Resource* resource) override {
        return failBytes == resource->name ? nullptr : resource->bytes;
    }

private:
    std::map<std::string, std::vector<std::uint8_t>> images_;
    std::map<std::string, platform::Resource> resources_;
};
