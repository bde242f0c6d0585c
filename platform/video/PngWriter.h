// A minimal PNG encoder for screenshots: 8-bit RGB, stored (uncompressed)
// deflate blocks, so it needs no compression library.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// `rgb` holds width x height pixels, three bytes each, row after row.
std::vector<std::uint8_t> EncodePng(int width, int height, const std::uint8_t* rgb);
bool WritePng(const std::string& path, int width, int height, const std::uint8_t* rgb);

}  // namespace platform
