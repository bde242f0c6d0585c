#include "WaveImage.h"
#include "WaveParser.h"

#include <gtest/gtest.h>

using platform::ScanWave;

namespace {
platform::WaveChunks Scan(const std::vector<std::uint8_t>& image) { return ScanWave(image.data(), image.size()); }
}  // namespace

TEST(WaveScan, FindsFormatAndDataInEitherOrder) {
    const auto usual = WaveImage().Format().Chunk("fact", {3, 0, 0, 0}).Data({1, 2, 3}).Bytes();
    const auto swapped = WaveImage().Data({1, 2, 3}).Format().Bytes();
    for (const auto& image : {usual, swapped}) {
        const auto found = Scan(image);
        ASSERT_EQ(found.code, platform::WaveFound);
        EXPECT_EQ(found.formatBytes, 18u);
        ASSERT_EQ(found.dataBytes, 3u);
        EXPECT_EQ(found.data[2], 3);
    }
}

TEST(WaveScan, TellsWhatIsWrongWithTheImage) {
    EXPECT_EQ(Scan(WaveImage("AVI ").Format().Data({1}).Bytes()).code, platform::WaveNotWave);
    auto notRiff = WaveImage().Format().Data({1}).Bytes();
    notRiff[0] = 'X';
    EXPECT_EQ(Scan(notRiff).code, platform::WaveNotRiff);
    EXPECT_EQ(Scan(WaveImage().Format(13).Data({1}).Bytes()).code, platform::WaveFormatTooShort);
    EXPECT_EQ(Scan(WaveImage().Format().Bytes()).code, platform::WaveChunksMissing);
    EXPECT_EQ(Scan({'R', 'I', 'F'}).code, platform::WaveNotRiff);
}

TEST(WaveScan, SkipsEmptyDataOddPaddingAndALaterFormat) {
    const auto image = WaveImage().Chunk("junk", {9, 9, 9}).Data({}).Format().Format(4).Data({7, 8}).Bytes();
    const auto found = Scan(image);
    ASSERT_EQ(found.code, platform::WaveFound);
    EXPECT_EQ(found.formatBytes, 18u);
    ASSERT_EQ(found.dataBytes, 2u);
    EXPECT_EQ(found.data[0], 7);
}

TEST(WaveScan, ShortFormatIsTakenWithMissingFieldsReadAsZero) {
    const auto image = WaveImage().Format(14).Data({1}).Bytes();
    const auto found = Scan(image);
    ASSERT_EQ(found.code, platform::WaveFound);
    const auto format = platform::ReadWaveFormat(found.format, found.formatBytes);
    EXPECT_EQ(format.blockAlign, 1);
    EXPECT_EQ(format.bitsPerSample, 0);
    EXPECT_FALSE(platform::IsPlayableFormat(format));
}

TEST(WaveScan, LyingLengthsNeverReachPastTheImage) {
    // A data chunk that claims more than the image holds is cut to what is there.
    const auto longData = WaveImage().Format().Chunk("data", {5, 6}, 0xFFFFFFF0u).Bytes();
    const auto found = Scan(longData);
    ASSERT_EQ(found.code, platform::WaveFound);
    EXPECT_EQ(found.dataBytes, 2u);

    // A chunk length near 2^32 ends the scan instead of wrapping it round.
    const auto wrapping = WaveImage().Chunk("junk", {1, 2}, 0xFFFFFFFFu).Format().Data({1}).Bytes();
    EXPECT_EQ(Scan(wrapping).code, platform::WaveChunksMissing);

    // A RIFF length past the image's size is bounded by the size.
    const auto image = WaveImage().Format().Data({1, 2, 3, 4}).Bytes(0x7FFFFFFF);
    EXPECT_EQ(Scan(image).code, platform::WaveFound);
}

TEST(WaveScan, MixerRefusesFormatsItCannotPlay) {
    platform::WaveFormat format{1, 1, 8000, 8000, 1, 8};
    EXPECT_TRUE(platform::IsPlayableFormat(format));
    format.channels = 0;
    EXPECT_FALSE(platform::IsPlayableFormat(format));
    format = {1, 1, 8000, 8000, 0, 8};
    EXPECT_FALSE(platform::IsPlayableFormat(format));
    format = {2, 1, 8000, 8000, 1, 8};  // not PCM
    EXPECT_FALSE(platform::IsPlayableFormat(format));
}
