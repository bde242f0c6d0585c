#include "LinearStretch.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__SSE2__) && (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define VORNTAK_STRETCH_AVX2 1
#endif

namespace platform {
namespace {

using Tap = LinearStretch::Tap;
constexpr std::uint32_t kOpaque = 0xff000000u;

// Each 8-bit channel of two pixels mixed, `weight` / 256 of b, rounded. The
// red and blue channels are mixed side by side in one word, then green.
inline std::uint32_t Mix(std::uint32_t a, std::uint32_t b, std::uint32_t weight) {
    const std::uint32_t keep = 256 - weight;
    const std::uint32_t rb = ((a & 0xff00ffu) * keep + (b & 0xff00ffu) * weight + 0x800080u) >> 8 & 0xff00ffu;
    const std::uint32_t g = ((a & 0xff00u) * keep + (b & 0xff00u) * weight + 0x8000u) >> 8 & 0xff00u;
    return rb | g;
}

// Each path works the pixels from `x` on that it can take whole and says
// where it stopped; the next, narrower path goes on from there. Every path
// makes the same sums and rounding as Mix, so the same picture.

std::size_t AcrossPlain(const std::uint32_t* in, const Tap* columns, const std::uint16_t*, std::uint32_t* out,
                        std::size_t x, std::size_t width) {
    for (; x < width; ++x) {
        const Tap tap = columns[x];
        const std::uint32_t a = in[tap.first];
        out[x] = (tap.weight ? Mix(a, in[tap.first + 1], tap.weight) : a) | kOpaque;
    }
    return x;
}

std::size_t MixPlain(const std::uint32_t* upper, const std::uint32_t* lower, std::uint32_t weight,
                     std::uint32_t* out, std::size_t x, std::size_t width) {
    for (; x < width; ++x) out[x] = Mix(upper[x], lower[x], weight) | kOpaque;
    return x;
}

#if defined(__SSE2__)
// Each pixel's pair in one load, its channels widened and weighted at once;
// the pair's two halves added make the mix.
std::size_t AcrossSse2(const std::uint32_t* in, const Tap* columns, const std::uint16_t* pairWeights,
                       std::uint32_t* out, std::size_t x, std::size_t width) {
    const __m128i zero = _mm_setzero_si128(), half = _mm_set1_epi16(128);
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(kOpaque));
    const auto* weights = reinterpret_cast<const __m128i*>(pairWeights);
    auto two = [&](std::size_t at) {
        const __m128i p0 = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(in + columns[at].first)), zero);
        const __m128i p1 =
            _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(in + columns[at + 1].first)), zero);
        const __m128i m0 = _mm_mullo_epi16(p0, _mm_loadu_si128(weights + at));
        const __m128i m1 = _mm_mullo_epi16(p1, _mm_loadu_si128(weights + at + 1));
        const __m128i sum = _mm_add_epi16(_mm_add_epi16(_mm_unpacklo_epi64(m0, m1), _mm_unpackhi_epi64(m0, m1)), half);
        return _mm_srli_epi16(sum, 8);
    };
    for (; x + 4 <= width; x += 4)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_or_si128(_mm_packus_epi16(two(x), two(x + 2)), opaque));
    return x;
}

// Four pixels at once, each channel widened to 16 bits.
std::size_t MixSse2(const std::uint32_t* upper, const std::uint32_t* lower, std::uint32_t weight,
                    std::uint32_t* out, std::size_t x, std::size_t width) {
    const __m128i zero = _mm_setzero_si128(), half = _mm_set1_epi16(128);
    const __m128i keep = _mm_set1_epi16(static_cast<short>(256 - weight));
    const __m128i take = _mm_set1_epi16(static_cast<short>(weight));
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(kOpaque));
    auto mixed = [&](__m128i a, __m128i b) {
        return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(a, keep), _mm_mullo_epi16(b, take)), half), 8);
    };
    for (; x + 4 <= width; x += 4) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(upper + x));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lower + x));
        const __m128i low = mixed(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero));
        const __m128i high = mixed(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_or_si128(_mm_packus_epi16(low, high), opaque));
    }
    return x;
}
#endif

#if defined(VORNTAK_STRETCH_AVX2)
// Eight pixels at once, each channel's pair multiplied and added in one
// instruction. The weights are even (7 bits, doubled), so halved they make
// the same sum: (a (256 - w) + b w + 128) >> 8 is (a (128 - h) + b h + 64) >> 7
// for h = w / 2. The instruction takes its pixels signed, so they go in less
// 128 and the 128 x 128 comes back with the rounding.
#define VORNTAK_AVX2 __attribute__((target("avx2")))

VORNTAK_AVX2 inline __m256i Unbiased(__m256i sums) {
    return _mm256_srli_epi16(_mm256_add_epi16(sums, _mm256_set1_epi16(128 * 128 + 64)), 7);
}

// Pixels x and x+1 in the low lane and x+2 and x+3 in the high one, each
// pixel's pair laid channel by channel, both of a channel side by side.
VORNTAK_AVX2 inline __m256i AcrossFour(const std::uint32_t* in, const Tap* columns, const std::uint8_t* halves,
                                       std::size_t at) {
    auto pair = [&](std::size_t x) { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(in + columns[x].first)); };
    const __m256i pairs = _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_unpacklo_epi64(pair(at), pair(at + 1))),
                                                  _mm_unpacklo_epi64(pair(at + 2), pair(at + 3)), 1);
    const __m256i byChannel = _mm256_setr_epi8(0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15,  //
                                               0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15);
    const __m256i biased = _mm256_xor_si256(_mm256_shuffle_epi8(pairs, byChannel), _mm256_set1_epi8(-128));
    const __m256i weights = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(halves + at * 8));
    return Unbiased(_mm256_maddubs_epi16(weights, biased));
}

// Eight pixels whose pairs all lie in the eight source pixels from `near.base`
// (most, stretched larger): one load, each pair's two pixels picked from it.
// Unpacked, the lanes hold pixels 0, 1 | 4, 5 and 2, 3 | 6, 7, packed back in order.
VORNTAK_AVX2 inline __m256i AcrossNear(const std::uint32_t* in, const LinearStretch::Near& near) {
    const __m256i source = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + near.base));
    const __m256i left = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(near.left));
    const __m256i bias = _mm256_set1_epi8(-128);
    const __m256i a = _mm256_xor_si256(_mm256_permutevar8x32_epi32(source, left), bias);
    const __m256i right = _mm256_add_epi32(left, _mm256_set1_epi32(1));
    const __m256i b = _mm256_xor_si256(_mm256_permutevar8x32_epi32(source, right), bias);
    const auto* halves = reinterpret_cast<const __m256i*>(near.halves);
    const __m256i low = Unbiased(_mm256_maddubs_epi16(_mm256_loadu_si256(halves), _mm256_unpacklo_epi8(a, b)));
    const __m256i high = Unbiased(_mm256_maddubs_epi16(_mm256_loadu_si256(halves + 1), _mm256_unpackhi_epi8(a, b)));
    return _mm256_packus_epi16(low, high);
}

// Otherwise the packed result's quarters are x, x+1 | x+4, x+5 | x+2, x+3 | x+6, x+7: put back in order.
VORNTAK_AVX2 std::size_t AcrossAvx2(const std::uint32_t* in, const Tap* columns, const std::uint8_t* halves,
                                    const LinearStretch::Near* near, std::uint32_t* out, std::size_t x,
                                    std::size_t width) {
    const __m256i opaque = _mm256_set1_epi32(static_cast<int>(kOpaque));
    for (; x + 8 <= width; x += 8, ++near) {
        const __m256i eight =
            near->base >= 0 ? AcrossNear(in, *near)
                            : _mm256_permute4x64_epi64(_mm256_packus_epi16(AcrossFour(in, columns, halves, x),
                                                                           AcrossFour(in, columns, halves, x + 4)),
                                                       0xd8);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x), _mm256_or_si256(eight, opaque));
    }
    return x;
}

VORNTAK_AVX2 std::size_t MixAvx2(const std::uint32_t* upper, const std::uint32_t* lower, std::uint32_t weight,
                                 std::uint32_t* out, std::size_t x, std::size_t width) {
    const std::uint32_t half = weight / 2;
    const __m256i weights = _mm256_set1_epi16(static_cast<short>(half << 8 | (128 - half)));  // upper's, then lower's
    const __m256i bias = _mm256_set1_epi8(-128), opaque = _mm256_set1_epi32(static_cast<int>(kOpaque));
    for (; x + 8 <= width; x += 8) {
        const __m256i a = _mm256_xor_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(upper + x)), bias);
        const __m256i b = _mm256_xor_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(lower + x)), bias);
        const __m256i low = Unbiased(_mm256_maddubs_epi16(weights, _mm256_unpacklo_epi8(a, b)));
        const __m256i high = Unbiased(_mm256_maddubs_epi16(weights, _mm256_unpackhi_epi8(a, b)));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x), _mm256_or_si256(_mm256_packus_epi16(low, high), opaque));
    }
    return x;
}
#endif

LinearStretch::Path Best() {
#if defined(VORNTAK_STRETCH_AVX2)
    if (__builtin_cpu_supports("avx2")) return LinearStretch::Path::kAvx2;
#endif
#if defined(__SSE2__)
    return LinearStretch::Path::kSse2;
#else
    return LinearStretch::Path::kPlain;
#endif
}

}  // namespace

bool LinearStretch::Runs(Path path) {
    switch (path) {
    case Path::kPlain: return true;
    case Path::kSse2:
#if defined(__SSE2__)
        return true;
#else
        return false;
#endif
    case Path::kAvx2: return Best() == Path::kAvx2;
    }
    return false;
}

LinearStretch::LinearStretch() : path_(Best()) {}

bool LinearStretch::Use(Path path) {
    if (!Runs(path)) return false;
    path_ = path;
    return true;
}

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
    pairHalves_.resize(columns_.size() * 8);
    for (std::size_t x = 0; x < columns_.size(); ++x) {
        const std::uint32_t weight = columns_[x].weight;
        for (int lane = 0; lane < 8; ++lane) {
            pairWeights_[x * 8 + lane] = static_cast<std::uint16_t>(lane < 4 ? 256 - weight : weight);
            pairHalves_[x * 8 + lane] = static_cast<std::uint8_t>(lane % 2 ? weight / 2 : 128 - weight / 2);
        }
    }
    // Each eight columns from a multiple of eight: near when their pairs lie in eight source pixels.
    near_.assign(columns_.size() / 8, Near{});
    for (std::size_t group = 0; group < near_.size(); ++group) {
        Near& near = near_[group];
        const Tap* tap = &columns_[group * 8];
        const int base = tap[0].first;
        bool fits = base + 8 <= sourceWidth;
        for (int i = 0; i < 8 && fits; ++i) fits = tap[i].first >= base && tap[i].first + 1 < base + 8;
        if (!fits) continue;
        near.base = base;
        for (int i = 0; i < 8; ++i) {
            near.left[i] = tap[i].first - base;
            // The order the pairs are unpacked in: pixels 0, 1, 4, 5, then 2, 3, 6, 7.
            static constexpr int kUnpacked[8] = {0, 1, 4, 5, 2, 3, 6, 7};
            const std::uint32_t weight = tap[kUnpacked[i]].weight;
            for (int lane = 0; lane < 8; ++lane)
                near.halves[i * 8 + lane] = static_cast<std::uint8_t>(lane % 2 ? weight / 2 : 128 - weight / 2);
        }
    }
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
    // The wide paths load each pixel's pair whole: a picture one pixel wide has no pair.
    const Path path = sourceWidth_ > 1 ? path_ : Path::kPlain;
#if defined(VORNTAK_STRETCH_AVX2)
    if (path == Path::kAvx2) x = AcrossAvx2(in, columns_.data(), pairHalves_.data(), near_.data(), out, x, width);
#endif
#if defined(__SSE2__)
    if (path != Path::kPlain) x = AcrossSse2(in, columns_.data(), pairWeights_.data(), out, x, width);
#endif
    AcrossPlain(in, columns_.data(), pairWeights_.data(), out, x, width);
    acrossRow_[k] = y;
    return out;
}

void LinearStretch::Run(const void* source, int sourcePitch, void* target, int targetPitch, Rows rows) {
    const std::size_t width = columns_.size();
    acrossRow_[0] = acrossRow_[1] = -1;  // the picture has changed since
    const int first = std::max(rows.first, 0), last = std::min<int>(rows.last, static_cast<int>(rows_.size()));
    auto* const base = static_cast<std::uint8_t*>(target);
    for (int t = first; t < last; ++t) {
        const Tap tap = rows_[static_cast<std::size_t>(t)];
        auto* out = reinterpret_cast<std::uint32_t*>(base + static_cast<std::ptrdiff_t>(t) * targetPitch);
        // A row reading the same two source rows with the same weight as the
        // one just written is that row again (most rows, stretched to twice
        // the height or more).
        if (t > first) {
            const Tap before = rows_[static_cast<std::size_t>(t) - 1];
            if (before.first == tap.first && before.weight == tap.weight) {
                std::memcpy(out, base + static_cast<std::ptrdiff_t>(t - 1) * targetPitch, width * sizeof *out);
                continue;
            }
        }
        const std::uint32_t* upper = Across(source, sourcePitch, tap.first);
        if (!tap.weight) {
            std::memcpy(out, upper, width * sizeof *out);
            continue;
        }
        const std::uint32_t* lower = Across(source, sourcePitch, tap.first + 1);
        std::size_t x = 0;
#if defined(VORNTAK_STRETCH_AVX2)
        if (path_ == Path::kAvx2) x = MixAvx2(upper, lower, tap.weight, out, x, width);
#endif
#if defined(__SSE2__)
        if (path_ != Path::kPlain) x = MixSse2(upper, lower, tap.weight, out, x, width);
#endif
        MixPlain(upper, lower, tap.weight, out, x, width);
    }
}

}  // namespace platform
