// The game program's own resources (its WAVE sounds), looked up by type and name.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

struct Resource {
    const char* type;
    const char* name;
    const std::uint8_t* bytes;
    std::size_t size;
};

// Finding, loading and reaching the bytes of a resource are three steps, each
// of which may fail; the compiled-in store never fails the last two.
class ResourceStore {
public:
    virtual ~ResourceStore() = default;
    virtual const Resource* Find(const char* type, const char* name) = 0;  // null: no such resource
    virtual bool Load(const Resource* resource) = 0;
    virtual const std::uint8_t* Bytes(const Resource* resource) = 0;       // null: cannot be reached
};

}  // namespace platform
