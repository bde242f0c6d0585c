// libFuzzer target: the tune check must stay inside any image it is given.
#include "MidiCheck.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    (void)platform::IsPlayableMidi(bytes, size);
    return 0;
}
