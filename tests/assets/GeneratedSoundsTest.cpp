#include "CompiledResources.h"
#include "WaveParser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

struct Expected {
    const char* name;
    double seconds;
};

const Expected kSounds[] = {
    {"HITTED1", 1.64}, {"HITTED2", 0.70}, {"HITTED3", 2.02}, {"HITTED4", 0.47},
    {"ATTACK1", 0.25}, {"ATTACK2", 0.47}, {"ATTACK3", 2.95}, {"ATTACK4", 1.21},
    {"ATTACK5", 1.49}, {"BEAM", 0.25},    {"ACID", 0.84},    {"S_BEGIN", 0.84},
    {"S_SELECT", 0.90}, {"S_BEAT", 2.56}, {"S_START", 3.44}, {"S_FINISH", 2.02},
};

void PrintTo(const Expected& e, std::ostream* os) { *os << e.name; }

std::uint32_t Word(const std::uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24; }
unsigned Half(const std::uint8_t* p) { return p[0] | p[1] << 8; }
bool Tag(const std::uint8_t* p, const char* tag) { return std::memcmp(p, tag, 4) == 0; }

// The one layout every game sound has: RIFF, WAVE, fmt (18), fact (4), data.
testing::AssertionResult HasGameWaveLayout(const std::uint8_t* b, std::size_t size) {
    if (size < 58) return testing::AssertionFailure() << "only " << size << " bytes";
    if (!Tag(b, "RIFF") || !Tag(b + 8, "WAVE")) return testing::AssertionFailure() << "not a RIFF WAVE";
    if (Word(b + 4) != size - 8) return testing::AssertionFailure() << "RIFF length " << Word(b + 4);
    if (!Tag(b + 12, "fmt ") || Word(b + 16) != 18) return testing::AssertionFailure() << "no 18-byte fmt first";
    if (Half(b + 20) != 1 || Half(b + 22) != 1 || Word(b + 24) != 8000 || Word(b + 28) != 8000 ||
        Half(b + 32) != 1 || Half(b + 34) != 8 || Half(b + 36) != 0)
        return testing::AssertionFailure() << "format is not PCM mono 8 kHz 8-bit";
    if (!Tag(b + 38, "fact") || Word(b + 42) != 4) return testing::AssertionFailure() << "no 4-byte fact second";
    const std::uint32_t samples = Word(b + 46);
    if (!Tag(b + 50, "data") || Word(b + 54) != samples)
        return testing::AssertionFailure() << "data does not follow fact or its length is not the sample count";
    if (size != 58 + samples + (samples & 1u)) return testing::AssertionFailure() << "size " << size;
    return testing::AssertionSuccess();
}

// Not silence and not one steady tone: a spread of levels, zero crossings at
// many different spacings, and loud and quiet moments.
void ExpectVariedSound(const std::vector<std::uint8_t>& d) {
    ASSERT_GE(d.size(), 160u);
    EXPECT_GE(std::set<std::uint8_t>(d.begin(), d.end()).size(), 32u);
    int peak = 0;
    for (std::uint8_t v : d) peak = std::max(peak, std::abs(v - 128));
    EXPECT_GE(peak, 64);
    std::set<std::size_t> gaps;
    std::size_t last = 0;
    for (std::size_t i = 1; i < d.size(); ++i)
        if ((d[i] >= 128) != (d[i - 1] >= 128)) {
            if (last) gaps.insert(i - last);
            last = i;
        }
    EXPECT_GE(gaps.size(), 8u);
    double loudest = 0, quietest = 1e9;
    for (std::size_t at = 0; at + 80 <= d.size(); at += 80) {
        double sum = 0;
        for (std::size_t i = at; i < at + 80; ++i) sum += (d[i] - 128.0) * (d[i] - 128.0);
        loudest = std::max(loudest, sum);
        quietest = std::min(quietest, sum);
    }
    EXPECT_GT(loudest, 4 * quietest);  // twice the RMS
}

class GameSound : public testing::TestWithParam<Expected> {
protected:
    const platform::Resource* Found() { return CompiledResources().Find("WAVE", GetParam().name); }
    std::vector<std::uint8_t> Data() {
        const platform::Resource* r = Found();
        return r ? std::vector<std::uint8_t>(r->bytes + 58, r->bytes + 58 + Word(r->bytes + 54)) : std::vector<std::uint8_t>{};
    }
};

TEST_P(GameSound, IsFoundByItsNameLoadsAndIsReachable) {
    const platform::Resource* r = Found();
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(r->type, "WAVE");
    EXPECT_STREQ(r->name, GetParam().name);
    EXPECT_TRUE(CompiledResources().Load(r));
    EXPECT_EQ(CompiledResources().Bytes(r), r->bytes);
}

TEST_P(GameSound, IsARiffImageWithFmtFactAndDataInThatOrder) {
    const platform::Resource* r = Found();
    ASSERT_NE(r, nullptr);
    EXPECT_TRUE(HasGameWaveLayout(r->bytes, r->size));
}

TEST_P(GameSound, ScansAsPlayableWaveWithAllItsSamples) {
    const platform::Resource* r = Found();
    ASSERT_NE(r, nullptr);
    const platform::WaveChunks found = platform::ScanWave(r->bytes, r->size);
    ASSERT_EQ(found.code, platform::WaveFound);
    EXPECT_EQ(found.dataBytes, Word(r->bytes + 46));
    EXPECT_EQ(found.data, r->bytes + 58);
    EXPECT_TRUE(platform::IsPlayableFormat(platform::ReadWaveFormat(found.format, found.formatBytes)));
}

TEST_P(GameSound, LastsAsLongAsTheGameExpects) {
    const long expected = std::lround(GetParam().seconds * 8000);
    EXPECT_LE(std::labs(static_cast<long>(Data().size()) - expected), 1L);
}

TEST_P(GameSound, IsNeitherSilentNorASteadyTone) { ExpectVariedSound(Data()); }

TEST_P(GameSound, EndsInSilenceUnlessItLoops) {
    if (std::string(GetParam().name) == "S_BEAT") GTEST_SKIP() << "loops; its seam is tested on its own";
    const std::vector<std::uint8_t> d = Data();
    ASSERT_GE(d.size(), 16u);
    for (std::size_t i = d.size() - 16; i < d.size(); ++i) EXPECT_NEAR(d[i], 128, 2) << "at " << i;
}

INSTANTIATE_TEST_SUITE_P(Generated, GameSound, testing::ValuesIn(kSounds),
                         [](const testing::TestParamInfo<Expected>& info) { return std::string(info.param.name); });

TEST(GeneratedSounds, LookupIsByExactWaveTypeAndName) {
    platform::ResourceStore& store = CompiledResources();
    EXPECT_EQ(store.Find("WAVE", "hitted1"), nullptr);
    EXPECT_EQ(store.Find("WAVE", "HITTED"), nullptr);
    EXPECT_EQ(store.Find("WAVE", "HITTED5"), nullptr);
    EXPECT_EQ(store.Find("WAVE", "HITTED1 "), nullptr);
    EXPECT_EQ(store.Find("WAVE", ""), nullptr);
    EXPECT_EQ(store.Find("RCDATA", "HITTED1"), nullptr);
    EXPECT_EQ(store.Find("WAVE", nullptr), nullptr);
}

TEST(GeneratedSounds, EverySoundIsItsOwn) {
    for (const Expected& a : kSounds)
        for (const Expected& b : kSounds) {
            if (&a == &b) continue;
            const platform::Resource* ra = CompiledResources().Find("WAVE", a.name);
            const platform::Resource* rb = CompiledResources().Find("WAVE", b.name);
            ASSERT_TRUE(ra && rb);
            EXPECT_FALSE(ra->size == rb->size && std::equal(ra->bytes, ra->bytes + ra->size, rb->bytes))
                << a.name << " and " << b.name;
        }
}

TEST(GeneratedSounds, VersusBeatJoinsItsEndToItsStartWithoutAJump) {
    const platform::Resource* r = CompiledResources().Find("WAVE", "S_BEAT");
    ASSERT_NE(r, nullptr);
    const std::vector<std::uint8_t> d(r->bytes + 58, r->bytes + 58 + Word(r->bytes + 54));
    std::vector<int> steps;
    for (std::size_t i = 1; i < d.size(); ++i) steps.push_back(std::abs(d[i] - d[i - 1]));
    std::nth_element(steps.begin(), steps.begin() + steps.size() * 99 / 100, steps.end());
    EXPECT_LE(std::abs(d.front() - d.back()), steps[steps.size() * 99 / 100]);
}

TEST(GeneratedSounds, DiscCutFileBesideTheGameIsAGameWave) {
    std::ifstream in(VORNTAK_RUN_DIR "/Cut1.wav", std::ios::binary);
    ASSERT_TRUE(in) << "no Cut1.wav in " << VORNTAK_RUN_DIR;
    const std::vector<std::uint8_t> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_TRUE(HasGameWaveLayout(file.data(), file.size()));
    ASSERT_EQ(platform::ScanWave(file.data(), file.size()).code, platform::WaveFound);
    const std::vector<std::uint8_t> d(file.begin() + 58, file.begin() + 58 + Word(file.data() + 54));
    EXPECT_GE(d.size(), 0.3 * 8000);
    EXPECT_LE(d.size(), 3.0 * 8000);
    ExpectVariedSound(d);
}

double RmsDb(const std::vector<std::uint8_t>& d) {
    double sum = 0;
    for (std::uint8_t v : d) sum += (v - 128.0) * (v - 128.0);
    return 10 * std::log10(sum / d.size() / (128.0 * 128.0));
}

// The cut plays over the fight when the disc goes: no louder than the fight's
// own hits and shots, centred on silence, and far from full scale.
TEST(GeneratedSounds, DiscCutSitsAmongTheFightSoundsCentredAndWellBelowFullScale) {
    std::ifstream in(VORNTAK_RUN_DIR "/Cut1.wav", std::ios::binary);
    const std::vector<std::uint8_t> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_TRUE(HasGameWaveLayout(file.data(), file.size()));
    const std::vector<std::uint8_t> cut(file.begin() + 58, file.begin() + 58 + Word(file.data() + 54));

    std::vector<double> fight;
    for (const char* name : {"HITTED1", "HITTED2", "HITTED3", "HITTED4", "ATTACK1", "ATTACK2", "ATTACK3", "ATTACK4",
                             "ATTACK5", "BEAM", "ACID"}) {
        const platform::Resource* r = CompiledResources().Find("WAVE", name);
        ASSERT_NE(r, nullptr) << name;
        fight.push_back(RmsDb(std::vector<std::uint8_t>(r->bytes + 58, r->bytes + 58 + Word(r->bytes + 54))));
    }
    std::nth_element(fight.begin(), fight.begin() + fight.size() / 2, fight.end());
    EXPECT_NEAR(RmsDb(cut), fight[fight.size() / 2], 3.0);

    double sum = 0;
    int peak = 0;
    for (std::uint8_t v : cut) {
        sum += v - 128.0;
        peak = std::max(peak, std::abs(v - 128));
    }
    EXPECT_LT(std::fabs(sum / cut.size()), 0.01 * 128);  // centred within 1% of full scale
    EXPECT_LE(peak, 0.7 * 128);                          // at least 3 dB of headroom
}

}  // namespace
