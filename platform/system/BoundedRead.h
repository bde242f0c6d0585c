// Whole small files read by name, never more than asked for, and never
// waiting on something that only looks like a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// At most `maxBytes` of a regular file; false when it cannot be read.
bool ReadFilePrefix(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& bytes);

// `name` as is when absolute or when there is no directory, else directory/name.
std::string JoinPath(const std::string& directory, const std::string& name);

}  // namespace platform
