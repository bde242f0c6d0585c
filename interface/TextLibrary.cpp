// The one allocator of sound-name texts, shared by the game and every module.
//
// A handle carries a slot index and the slot's generation, so a handle kept
// after its text was freed (or read from a record a module left dirty) names
// no live text and reads as empty instead of reaching freed memory.
#include "RobotModule.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr std::uint32_t kIndexBits = 20;
constexpr std::uint32_t kIndexMask = (1u << kIndexBits) - 1;
constexpr std::uint32_t kGenerationMask = (1u << (32 - kIndexBits)) - 1;
constexpr std::size_t kHeaderBytes = 8;  // refCount, length

struct Slot {
    std::byte* block = nullptr;  // {int32 refCount; int32 length; chars; NUL}
    std::uint32_t generation = 1;
};

struct Library {
    std::vector<Slot> slots;
    std::vector<std::uint32_t> freeSlots;
    std::uint32_t live = 0;
};

// Never destroyed: texts held by objects that outlive static destruction stay valid.
Library& TheLibrary() {
    static Library& library = *new Library;
    return library;
}

std::int32_t& RefCountOf(std::byte* block) { return *reinterpret_cast<std::int32_t*>(block); }
std::int32_t& LengthOf(std::byte* block) { return *reinterpret_cast<std::int32_t*>(block + 4); }
char* CharsOf(std::byte* block) { return reinterpret_cast<char*>(block + kHeaderBytes); }

std::byte* BlockOf(TextHandle text) {
    if (text == kEmptyText) return nullptr;
    const std::uint32_t index = (text & kIndexMask) - 1;
    const std::uint32_t generation = text >> kIndexBits;
    Library& library = TheLibrary();
    if (index >= library.slots.size()) return nullptr;
    const Slot& slot = library.slots[index];
    return slot.generation == generation ? slot.block : nullptr;
}

TextHandle Allocate(const char* chars, std::int32_t refCount) {
    const std::size_t length = chars ? std::strlen(chars) : 0;
    Library& library = TheLibrary();

    std::uint32_t index;
    if (!library.freeSlots.empty()) {
        index = library.freeSlots.back();
        library.freeSlots.pop_back();
    } else {
        if (library.slots.size() >= kIndexMask) return kEmptyText;  // out of handles: reads as empty
        index = static_cast<std::uint32_t>(library.slots.size());
        library.slots.emplace_back();
    }

    auto* block = static_cast<std::byte*>(std::malloc(kHeaderBytes + length + 1));
    if (!block) {
        library.freeSlots.push_back(index);
        return kEmptyText;
    }
    RefCountOf(block) = refCount;
    LengthOf(block) = static_cast<std::int32_t>(length);
    if (length) std::memcpy(CharsOf(block), chars, length);
    CharsOf(block)[length] = '\0';

    Slot& slot = library.slots[index];
    slot.block = block;
    ++library.live;
    return (slot.generation << kIndexBits) | (index + 1);
}

void Free(TextHandle text) {
    Library& library = TheLibrary();
    const std::uint32_t index = (text & kIndexMask) - 1;
    Slot& slot = library.slots[index];
    std::free(slot.block);
    slot.block = nullptr;
    slot.generation = (slot.generation % kGenerationMask) + 1;  // never 0, so no handle is 0
    library.freeSlots.push_back(index);
    --library.live;
}

}  // namespace

TEXT_API TextHandle TextCreate(const char* chars) { return Allocate(chars, 1); }

TEXT_API TextHandle TextCreateConstant(const char* chars) { return Allocate(chars, -1); }

TEXT_API void TextRelease(TextHandle text) {
    std::byte* block = BlockOf(text);
    if (!block || RefCountOf(block) < 0) return;
    if (--RefCountOf(block) == 0) Free(text);
}

TEXT_API void TextAssign(TextHandle* field, TextHandle text) {
    // Take the new reference before dropping the old one, so assigning a
    // field its own text keeps it alive.
    if (std::byte* block = BlockOf(text); block && RefCountOf(block) > 0) ++RefCountOf(block);
    const TextHandle old = *field;
    *field = BlockOf(text) ? text : kEmptyText;
    TextRelease(old);
}

TEXT_API const char* TextChars(TextHandle text) {
    std::byte* block = BlockOf(text);
    return block ? CharsOf(block) : "";
}

TEXT_API std::int32_t TextLength(TextHandle text) {
    std::byte* block = BlockOf(text);
    return block ? LengthOf(block) : 0;
}

TEXT_API std::int32_t TextRefCount(TextHandle text) {
    std::byte* block = BlockOf(text);
    return block ? RefCountOf(block) : 0;
}

TEXT_API std::uint32_t TextLiveCount() { return TheLibrary().live; }
