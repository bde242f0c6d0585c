#include "CompiledResources.h"

#include "GeneratedSounds.h"

#include <cstring>

namespace {

class CompiledStore final : public platform::ResourceStore {
public:
    const platform::Resource* Find(const char* type, const char* name) override {
        if (!type || !name || std::strcmp(type, "WAVE") != 0) return nullptr;
        for (std::size_t i = 0; i < assets::kCompiledWaveCount; ++i)
            if (std::strcmp(assets::kCompiledWaves[i].name, name) == 0) return &assets::kCompiledWaves[i];
        return nullptr;
    }
    bool Load(const platform::Resource*) override { return true; }
    const std::uint8_t* Bytes(const platform::Resource* resource) override {
        return resource ? resource->bytes : nullptr;
    }
};

}  // namespace

platform::ResourceStore& CompiledResources() {
    static CompiledStore store;
    return store;
}
