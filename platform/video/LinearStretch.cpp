#include "LinearStretch.h"

#include <algorithm>
#include <cstring>

namespace platform {
namespace {

// Each 8-bit channel of two pixels mixed, `weight` / 256 of b, rounded. The
// red and blue channels are mixed side by side in one word, then green.
inline std::uint32_t Mix(std::uint32_t a, std::uint32_t b, std::uint32_t weight) {
    const std::uint32_t keep = 256 - weight;
    const std::uint32_t rb = ((a & 0xff00ffu) * keep + (b & 0xff00ffu) * weight + 0x800080u) >> 8 & 0xff00ffu;
    const std::uint32_t g = ((a & 0xff00u) * keep + (b & 0xff00u) * weight + 0x8000u) >> 8 & 0xff00u;
    return rb | g;
}

}  // namespace

// Pixel centres line up: target pixel t reads the source at
// (t + 0.5) * source / target - 0.5, held to the picture's edges, in the
// 16.16 fixed point and 7-bit weights of SDL's own stretch, so the picture
// looks as it always did.
std::vector<LinearStretch::Tap> LinearStretch::Taps(int source, int target) {
    std::vector<Tap> taps(static_cast<std::size_t>(target));
    const std::int64_t step = (std::int64_t{source} << 16) / target;
    std::int64_t at = step / 2 - 0x8000;
    for (int t = 0; t < target; ++t, at += step) {
        Tap tap{0, 0};
        if (at >= (std::int64_t{source - 1} << 16)) {
            tap.first = source - 1;  // the last pixel alone
        } else if (at > 0) {
            tap.first = static_cast<int>(at >> 16);
            tap.weight = static_cast<std::uint32_t>(at >> 9 & 0x7f) * 2;
        }
        taps[static_cast<std::size_t>(t)] = tap;
    }
    return taps;
}

bool LinearStretch::Prepare(int sourceWidth, int sourceHeight, int targetWidth, int targetHeight) {
    if (sourceWidth <= 0 || sourceHeight <= 0 || targetWidth <= 0 || targetHeight <= 0) return false;
    if (sourceWidth == sourceWidth_ && sourceHeight == sourceHeight_ &&
        static_cast<int>(columns_.size()) == targetWidth && static_cast<int>(rows_.size()) == targetHeight)
        return true;
    sourceWidth_ = sourceWidth;
    sourceHeight_ = sourceHeight;
    columns_ = Taps(sourceWidth, targetWidth);
    rows_ = Taps(sourceHeight, targetHeight);
    for (auto& row : across_) row.assign(static_cast<std::size_t>(targetWidth), 0);
    acrossRow_[0] = acrossRow_[1] = -1;
    return true;
}

LinearStretch::Rows LinearStretch::RowsReading(int top, int bottom) const {
    const int height = static_cast<int>(rows_.size());
    if (top >= bottom) return {};
    // A target row reads its first source row and, with a weight, the next.
    auto reads = [&](int t) {
        const Tap tap = rows_[static_cast<std::size_t>(t)];
        const int last = tap.weight ? tap.first + 1 : tap.first;
        return last >= top && tap.first < bottom;
    };
    int first = 0;
    while (first < height && !reads(first)) ++first;
    int last = first;
    while (last < height && reads(last)) ++last;
    return {first, last};
}

// A source row stretched across, kept while the next target rows read it.
const std::uint32_t* LinearStretch::Across(const void* source, int sourcePitch, int y) {
    for (int k = 0; k < 2; ++k) {
        if (acrossRow_[k] == y) {
            latest_ = k;
            return across_[k].data();
        }
    }
    const int k = 1 - latest_;  // the one read last is the other of this target row
    latest_ = k;
    const auto* in = reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(source) +
                                                            static_cast<std::ptrdiff_t>(y) * sourcePitch);
    std::uint32_t* out = across_[k].data();
    const std::size_t width = columns_.size();
    for (std::size_t x = 0; x < width; ++x) {
        const Tap tap = columns_[x];
        const std::uint32_t a = in[tap.first];
        out[x] = tap.weight ? Mix(a, in[tap.first + 1], tap.weight) : a & 0xffffffu;
    }
    acrossRow_[k] = y;
    return out;
}

void LinearStretch::Run(const void* source, int sourcePitch, void* target, int targetPitch, Rows rows) {
    const std::size_t width = columns_.size();
    acrossRow_[0] = acrossRow_[1] = -1;  // the picture has changed since
    for (int t = std::max(rows.first, 0); t < std::min<int>(rows.last, static_cast<int>(rows_.size())); ++t) {
        const Tap tap = rows_[static_cast<std::size_t>(t)];
        auto* out = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(target) +
                                                     static_cast<std::ptrdiff_t>(t) * targetPitch);
        const std::uint32_t* upper = Across(source, sourcePitch, tap.first);
        if (!tap.weight) {
            std::memcpy(out, upper, width * sizeof *out);
            continue;
        }
        const std::uint32_t* lower = Across(source, sourcePitch, tap.first + 1);
        for (std::size_t x = 0; x < width; ++x) out[x] = Mix(upper[x], lower[x], tap.weight);
    }
}

}  // namespace platform
