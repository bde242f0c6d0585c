// A BIN/CUE image opened as the players' back end opens it: which sheets are
// a disc, where the data file is found, and what its reads give.
#include "DiscImage.h"
#include "LibcdioSource.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <thread>

namespace fs = std::filesystem;

namespace {

std::string Text(const fs::path& path) { return {std::istreambuf_iterator<char>(std::ifstream(path).rdbuf()), {}}; }

std::string Write(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    return path.string();
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) text.replace(at, from.size(), to);
    return text;
}

// The image opened on a thread of its own: a hang fails the case, however long the open would wait.
std::unique_ptr<platform::DiscSource> OpenSoon(const std::string& path) {
    auto opened = std::make_shared<std::promise<std::unique_ptr<platform::DiscSource>>>();
    auto answer = opened->get_future();
    std::thread([opened, path] { opened->set_value(platform::LibcdioDrives().open(path)); }).detach();
    if (answer.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        ADD_FAILURE() << "the open of " << path << " never returned";
        return nullptr;
    }
    return answer.get();
}

std::vector<std::uint8_t> Sectors(platform::DiscSource& disc, std::int32_t first, int count, std::uint8_t fill = 0xAB) {
    std::vector<std::uint8_t> bytes(std::size_t(count) * kSectorBytes, fill);
    EXPECT_TRUE(disc.Read(first, count, bytes.data()));
    return bytes;
}

class Image : public testing::Test {
protected:
    DiscFolder folder;
    std::string cue = WriteDiscImage(folder.path, "disc", kTestDisc);
    fs::path bin = folder.path / "disc.bin";
    std::string sheet = Text(cue);
};

TEST_F(Image, TracksAreNumberedFromOneInOrderUpTo99) {
    const std::string head = "FILE \"disc.bin\" BINARY\n";
    for (int first = 1; first <= 99; ++first) {
        const auto disc = OpenSoon(Write(cue, head + "TRACK " + std::to_string(first) + " AUDIO\nINDEX 01 00:00:00\n"));
        EXPECT_EQ(disc ? disc->Toc().count : 0, first == 1 ? 1 : 0) << "a lone TRACK " << first;
    }
    auto tracks = [&](int count, const char* format) {
        std::string text = head;
        for (int track = 1; track <= count; ++track) {
            char line[64];
            std::snprintf(line, sizeof line, format, track, track / 75, track % 75);
            text += line;
        }
        const auto disc = OpenSoon(Write(cue, text));
        return disc ? disc->Toc().count : 0;
    };
    EXPECT_EQ(tracks(99, "  TRACK %02d AUDIO\n    INDEX 01 00:%02d:%02d\n"), 99);
    EXPECT_EQ(tracks(100, "  TRACK %03d AUDIO\n    INDEX 01 00:%02d:%02d\n"), 0);
    EXPECT_EQ(tracks(3, "  TRACK %03d AUDIO\n    INDEX 01 00:%02d:%02d\n"), 3) << "leading zeros";
    const auto gap = OpenSoon(Write(cue, head + "TRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 03 AUDIO\nINDEX 01 00:01:00\n"));
    EXPECT_FALSE(gap) << "a number skipped";
}

// A sheet is at most 64 KiB, 2000 lines and 512 bytes a line; one byte or line more is no disc.
TEST_F(Image, ASheetIsReadWithinItsBoundsAndNotPastThem) {
    auto plays = [&](const std::string& text) {
        const auto disc = OpenSoon(Write(cue, text));
        return disc && disc->Toc().count == 3;
    };
    auto padded = [&](std::size_t bytes) {  // remarks after the tracks, to `bytes` in all
        std::string text = sheet;
        for (std::size_t left = bytes - text.size(); left > 0;) {
            const std::size_t line = left <= 400 ? left : left - 400 < 5 ? 300 : 400;
            text += "REM " + std::string(line - 5, 'x') + "\n";
            left -= line;
        }
        return text;
    };
    EXPECT_TRUE(plays(padded(64 * 1024)));
    EXPECT_FALSE(plays(padded(64 * 1024 + 1)));
    const auto lines = std::size_t(std::count(sheet.begin(), sheet.end(), '\n'));
    EXPECT_TRUE(plays(sheet + std::string(2000 - lines, '\n')));
    EXPECT_FALSE(plays(sheet + std::string(2001 - lines, '\n')));
    EXPECT_TRUE(plays(sheet + "REM " + std::string(508, 'x') + "\n"));
    EXPECT_FALSE(plays(sheet + "REM " + std::string(509, 'x') + "\n"));
}

// kTestDisc: tracks from sectors 0, 75 and 165, the third heard from 195.
TEST_F(Image, TheDataFileIsFoundAsNamedInAnyCaseOrByTheSheetsStemAndWordsPartAtTabs) {
    auto layout = [](const std::unique_ptr<platform::DiscSource>& disc) {
        if (!disc) return std::vector<int>{};
        const platform::DiscToc& toc = disc->Toc();
        return std::vector<int>{toc.count, toc.run[2], toc.run[3], toc.index1[3], toc.leadOut, toc.audio[3]};
    };
    const std::vector<int> expected{3, 75, 165, 195, 270, 1};
    EXPECT_EQ(layout(OpenSoon(Write(cue, Replaced(sheet, "\"disc.bin\"", "\"DISC.BIN\"")))), expected) << "in other letters";
    EXPECT_EQ(layout(OpenSoon(Write(cue, Replaced(sheet, "\"disc.bin\"", "\"My Album.bin\"")))), expected) << "renamed";
    EXPECT_EQ(layout(OpenSoon(Write(cue, Replaced(Replaced(sheet, "  ", "\t"), " ", "\t")))), expected) << "tabs";
    EXPECT_EQ(layout(OpenSoon(bin.string())), expected) << "named by its .bin";
    fs::rename(bin, folder.path / "Album.bin");
    EXPECT_EQ(layout(OpenSoon(Write(cue, Replaced(sheet, "\"disc.bin\"", "\"ALBUM.BIN\"")))), expected) << "only in other letters";
    EXPECT_EQ(layout(OpenSoon(Write(cue, Replaced(sheet, "\"disc.bin\"", "\"My Album.bin\"")))), std::vector<int>{});
}

TEST_F(Image, AFifoWhereAFileShouldBeIsNoDiscAtOnceAndATextFileIsNeverOpened) {
    ASSERT_EQ(::mkfifo((folder.path / "fifo.bin").c_str(), 0600), 0);
    EXPECT_FALSE(OpenSoon(Write(cue, Replaced(sheet, "\"disc.bin\"", "\"fifo.bin\"")))) << "named";
    const std::string piped = Write(folder.path / "fifo.cue", sheet);
    auto disc = OpenSoon(piped);
    EXPECT_TRUE(disc && disc->Toc().count == 3) << "the file named is read, not the sheet's own .bin";
    EXPECT_FALSE(OpenSoon(Write(piped, Replaced(sheet, "\"disc.bin\"", "\"nowhere.bin\"")))) << "the sheet's own .bin";
    disc = OpenSoon(Write(cue, "CDTEXTFILE \"fifo.bin\"\n" + sheet));
    EXPECT_TRUE(disc && disc->Toc().count == 3) << "the disc's text is not read";
}

TEST_F(Image, MotorolaSamplesAreSwappedToLittleEndian) {
    std::string swapped = Text(bin);
    for (std::size_t i = 0; i + 1 < swapped.size(); i += 2) std::swap(swapped[i], swapped[i + 1]);
    Write(folder.path / "swapped.bin", swapped);
    const auto little = OpenSoon(cue);
    const auto big = OpenSoon(Write(folder.path / "swapped.cue", Replaced(sheet, "\"disc.bin\" BINARY", "\"swapped.bin\" MOTOROLA")));
    ASSERT_TRUE(little && big);
    EXPECT_EQ(Sectors(*big, 80, 4), Sectors(*little, 80, 4));
}

TEST_F(Image, WhatWasOpenedIsWhatPlaysAndAShortReadIsSilence) {
    const auto disc = OpenSoon(cue);
    ASSERT_TRUE(disc);
    const std::vector<std::uint8_t> before = Sectors(*disc, 96, 8);
    Write(cue, "FILE \"disc.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n");  // over the sheet in place
    EXPECT_TRUE(disc->StillThere());
    EXPECT_EQ(disc->Toc().count, 3);

    // Cut in place, half way into sector 100: what is left plays, the rest is silence, never what the buffer held.
    fs::resize_file(bin, 100 * kSectorBytes + kSectorBytes / 2);
    EXPECT_TRUE(disc->StillThere());
    const std::vector<std::uint8_t> cut = Sectors(*disc, 96, 8);
    const auto kept = cut.begin() + 4 * kSectorBytes + kSectorBytes / 2;
    EXPECT_TRUE(std::equal(cut.begin(), kept, before.begin()));
    EXPECT_EQ(std::count(kept, cut.end(), 0), cut.end() - kept);

    Write(folder.path / "new.cue", sheet);
    fs::rename(folder.path / "new.cue", cue);
    EXPECT_FALSE(disc->StillThere()) << "the sheet replaced";
}

}  // namespace
