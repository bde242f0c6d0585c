// Our stretch on every path the processor has, against the stretch the
// players have always seen (kept here as it was, pixel by pixel in plain
// code): the very same picture at every size, whole and by changed bands.
#include "LinearStretch.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace platform {
namespace {

// The stretch as it was: 16.16 steps, 7-bit weights, pixel centres lined up.
struct ReferenceTap {
    int first;
    std::uint32_t weight;
};

std::vector<ReferenceTap> ReferenceTaps(int source, int target) {
    std::vector<ReferenceTap> taps(static_cast<std::size_t>(target));
    const std::int64_t step = (std::int64_t{source} << 16) / target;
    std::int64_t at = step / 2 - 0x8000;
    for (int t = 0; t < target; ++t, at += step) {
        ReferenceTap tap{0, 0};
        if (at >= (std::int64_t{source - 1} << 16)) {
            tap = source > 1 ? ReferenceTap{source - 2, 256} : ReferenceTap{0, 0};
        } else if (at > 0) {
            tap = {static_cast<int>(at >> 16), static_cast<std::uint32_t>(at >> 9 & 0x7f) * 2};
        }
        taps[static_cast<std::size_t>(t)] = tap;
    }
    return taps;
}

std::uint32_t ReferenceMix(std::uint32_t a, std::uint32_t b, std::uint32_t weight) {
    std::uint32_t mixed = 0;
    for (int shift : {0, 8, 16}) {
        const std::uint32_t ca = a >> shift & 255, cb = b >> shift & 255;
        mixed |= ((ca * (256 - weight) + cb * weight + 128) >> 8) << shift;
    }
    return mixed;
}

std::vector<std::uint32_t> ReferenceStretch(const std::vector<std::uint32_t>& source, int sw, int sh, int tw, int th) {
    const auto columns = ReferenceTaps(sw, tw), rows = ReferenceTaps(sh, th);
    std::vector<std::uint32_t> target(static_cast<std::size_t>(tw) * th);
    auto across = [&](int y, int x) {
        const ReferenceTap c = columns[std::size_t(x)];
        const std::uint32_t* row = &source[std::size_t(y) * sw];
        return c.weight ? ReferenceMix(row[c.first], row[c.first + 1], c.weight) : row[c.first];
    };
    for (int y = 0; y < th; ++y) {
        const ReferenceTap r = rows[std::size_t(y)];
        for (int x = 0; x < tw; ++x) {
            const std::uint32_t upper = across(r.first, x);
            target[std::size_t(y) * tw + x] = (r.weight ? ReferenceMix(upper, across(r.first + 1, x), r.weight) : upper) | 0xff000000u;
        }
    }
    return target;
}

// Noise, with runs of flat colour and full-scale steps between them.
void Paint(std::vector<std::uint32_t>& pixels, std::uint32_t seed) {
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        seed = seed * 1103515245 + 12345;
        pixels[i] = i % 97 < 40 ? (i / 97 % 2 ? 0xffffffu : 0) : seed >> 4;
    }
}

std::vector<LinearStretch::Path> PathsHere() {
    std::vector<LinearStretch::Path> paths;
    for (auto path : {LinearStretch::Path::kPlain, LinearStretch::Path::kSse2, LinearStretch::Path::kAvx2})
        if (LinearStretch::Runs(path)) paths.push_back(path);
    return paths;
}

TEST(LinearStretchTest, EveryPathGivesTheSamePictureAsBeforeAtEverySize) {
    const std::pair<int, int> sources[] = {{800, 600}, {13, 7}, {1, 1}, {2, 600}};
    const std::pair<int, int> targets[] = {{1024, 768}, {1920, 1080}, {1440, 1080}, {801, 601}, {1023, 767},
                                           {800, 600},  {397, 299},   {9, 2500},    {1, 1},     {3, 5}};
    for (auto [sw, sh] : sources) {
        std::vector<std::uint32_t> picture(std::size_t(sw) * sh);
        Paint(picture, 7);
        for (auto [tw, th] : targets) {
            const auto expected = ReferenceStretch(picture, sw, sh, tw, th);
            for (auto path : PathsHere()) {
                LinearStretch stretch;
                ASSERT_TRUE(stretch.Use(path));
                ASSERT_TRUE(stretch.Prepare(sw, sh, tw, th));
                std::vector<std::uint32_t> ours(expected.size() + 8, 0x12345678u);  // past the end stays as it was
                stretch.Run(picture.data(), sw * 4, ours.data(), tw * 4, {0, th});
                ASSERT_EQ(std::vector<std::uint32_t>(ours.begin(), ours.begin() + long(expected.size())), expected)
                    << sw << " x " << sh << " to " << tw << " x " << th << ", path " << int(path);
                EXPECT_EQ(ours.back(), 0x12345678u);
            }
        }
    }
}

// As the window gets it: the whole picture once, then only the rows that
// read a changed band, the same band changing twice running, so that no
// row kept from the picture before may stand in for its new one.
TEST(LinearStretchTest, AChangedBandRedrawsEveryRowItReachesFromTheNewPicture) {
    constexpr int kW = 800, kH = 600;
    for (auto [tw, th] : {std::pair{1024, 768}, {1920, 1080}, {700, 500}}) {
        for (auto path : PathsHere()) {
            LinearStretch stretch;
            ASSERT_TRUE(stretch.Use(path));
            ASSERT_TRUE(stretch.Prepare(kW, kH, tw, th));
            std::vector<std::uint32_t> picture(std::size_t(kW) * kH), ours(std::size_t(tw) * th);
            Paint(picture, 1);
            stretch.Run(picture.data(), kW * 4, ours.data(), tw * 4, {0, th});
            std::uint32_t seed = 2;
            for (auto [top, bottom] : {std::pair{300, 301}, {300, 301}, {0, 1}, {0, 1}, {599, 600}, {599, 600}, {120, 333}}) {
                std::vector<std::uint32_t> band(std::size_t(kW) * (bottom - top));
                Paint(band, ++seed);
                std::copy(band.begin(), band.end(), picture.begin() + long(top) * kW);
                stretch.Run(picture.data(), kW * 4, ours.data(), tw * 4, stretch.RowsReading(top, bottom));
                ASSERT_EQ(ours, ReferenceStretch(picture, kW, kH, tw, th))
                    << tw << " x " << th << ", rows " << top << " to " << bottom << ", path " << int(path);
            }
        }
    }
}

}  // namespace
}  // namespace platform
