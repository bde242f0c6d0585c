#include "LinearStretch.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

#if defined(__SSE2__)
// Mix on four pixels at once, each channel widened to 16 bits: the same sums
// and rounding, so the same picture. `keep` and `weight` hold each pixel's
// weights in its four channels' lanes.
inline __m128i MixFour(__m128i a, __m128i b, __m128i keepLow, __m128i weightLow, __m128i keepHigh,
                       __m128i weightHigh) {
    const __m128i zero = _mm_setzero_si128(), half = _mm_set1_epi16(128);
    const __m128i low = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(a, zero), keepLow),
                                                                   _mm_mullo_epi16(_mm_unpacklo_epi8(b, zero), weightLow)),
                                                     half),
                                       8);
    const __m128i high = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(a, zero), keepHigh),
                                                                    _mm_mullo_epi16(_mm_unpackhi_epi8(b, zero), weightHigh)),
                                                      half),
                                        8);
    return _mm_packus_epi16(low, high);
}
#endif

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
            tap = source > 1 ? Tap{source - 2, 256} : Tap{0, 0};  // the last pixel alone, the pair kept in the row
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
    pairWeights_.resize(columns_.size() * 8);
    for (std::size_t x = 0; x < columns_.size(); ++x)
        for (int lane = 0; lane < 8; ++lane)
            pairWeights_[x * 8 + lane] = static_cast<std::uint16_t>(lane < 4 ? 256 - columns_[x].weight : columns_[x].weight);
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
    std::size_t x = 0;
#if defined(__SSE2__)
    // Each pixel's pair in one load, its channels widened and weighted at
    // once; the pair's two halves added make the mix.
    const __m128i zero = _mm_setzero_si128(), half = _mm_set1_epi16(128);
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xff000000u));
    const auto* weights = reinterpret_cast<const __m128i*>(pairWeights_.data());
    auto two = [&](std::size_t at) {
        const __m128i p0 = _mm_unpacklo_epi8(
            _mm_loadl_epi64(reinterpret_cast<const __m128i*>(in + columns_[at].first)), zero);
        const __m128i p1 = _mm_unpacklo_epi8(
            _mm_loadl_epi64(reinterpret_cast<const __m128i*>(in + columns_[at + 1].first)), zero);
        const __m128i m0 = _mm_mullo_epi16(p0, _mm_loadu_si128(weights + at));
        const __m128i m1 = _mm_mullo_epi16(p1, _mm_loadu_si128(weights + at + 1));
        const __m128i sum = _mm_add_epi16(_mm_add_epi16(_mm_unpacklo_epi64(m0, m1), _mm_unpackhi_epi64(m0, m1)), half);
        return _mm_srli_epi16(sum, 8);
    };
    for (; x + 4 <= width; x += 4)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_or_si128(_mm_packus_epi16(two(x), two(x + 2)), opaque));
#endif
    for (; x < width; ++x) {
        const Tap tap = columns_[x];
        const std::uint32_t a = in[tap.first];
        out[x] = (tap.weight ? Mix(a, in[tap.first + 1], tap.weight) : a) | 0xff000000u;
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
        std::size_t x = 0;
#if defined(__SSE2__)
        const __m128i keep = _mm_set1_epi16(static_cast<short>(256 - tap.weight));
        const __m128i weight = _mm_set1_epi16(static_cast<short>(tap.weight));
        const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xff000000u));
        for (; x + 4 <= width; x += 4) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(upper + x));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lower + x));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x),
                             _mm_or_si128(MixFour(a, b, keep, weight, keep, weight), opaque));
        }
#endif
        for (; x < width; ++x) out[x] = Mix(upper[x], lower[x], tap.weight) | 0xff000000u;
    }
}

}  // namespace platform
