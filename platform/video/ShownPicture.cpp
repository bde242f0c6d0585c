#include "ShownPicture.h"

#include <cstring>

namespace platform {

ShownPicture::Rows ShownPicture::Update(const void* pixels, int pitch, int width, int height) {
    const auto* bytes = static_cast<const std::uint8_t*>(pixels);
    const std::size_t rowBytes = static_cast<std::size_t>(width) * sizeof(std::uint32_t);
    auto row = [&](int y) { return bytes + static_cast<std::size_t>(y) * pitch; };
    auto shownRow = [&](int y) { return shown_.data() + static_cast<std::size_t>(y) * width; };
    auto same = [&](int y) { return std::memcmp(shownRow(y), row(y), rowBytes) == 0; };

    Rows changed{0, height};
    if (width == width_ && height == rows_) {
        while (changed.top < height && same(changed.top)) ++changed.top;
        if (changed.top == height) return {};
        while (same(changed.bottom - 1)) --changed.bottom;
    } else {
        shown_.resize(static_cast<std::size_t>(width) * height);
        width_ = width;
        rows_ = height;
    }
    for (int y = changed.top; y < changed.bottom; ++y) std::memcpy(shownRow(y), row(y), rowBytes);
    return changed;
}

}  // namespace platform
