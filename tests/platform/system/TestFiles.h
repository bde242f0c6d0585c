// A scratch folder per test, and the files the tests write into it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vorntak-system-XXXXXX").string();
        EXPECT_NE(mkdtemp(pattern.data()), nullptr);
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
    }

    std::string Path() const { return path_; }
    void Write(const std::string& name, const Bytes& bytes) const {
        std::ofstream(path_ + "/" + name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }

private:
    std::string path_;
};

// Goes into a folder for the scope, then back.
class InFolder {
public:
    explicit InFolder(const std::string& folder) : back_(std::filesystem::current_path()) { std::filesystem::current_path(folder); }
    ~InFolder() { std::filesystem::current_path(back_); }

private:
    std::filesystem::path back_;
};

// A PCM WAVE image holding `heldBytes` of a ramp, whose data chunk claims `declaredBytes`.
inline Bytes Wave(int channels, int bits, std::uint32_t rate, std::uint32_t heldBytes, std::uint32_t declaredBytes) {
    Bytes out;
    auto put = [&](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) out.push_back(std::uint8_t(value >> (8 * i)));
    };
    auto tag = [&](const char* text) {
        for (int i = 0; i < 4; ++i) out.push_back(std::uint8_t(text[i]));
    };
    const std::uint32_t block = std::uint32_t(channels * bits / 8);
    tag("RIFF"), put(36 + declaredBytes, 4), tag("WAVE"), tag("fmt "), put(16, 4), put(1, 2), put(channels, 2);
    put(rate, 4), put(rate * block, 4), put(block, 2), put(bits, 2), tag("data"), put(declaredBytes, 4);
    for (std::uint32_t i = 0; i < heldBytes; ++i) out.push_back(std::uint8_t(i * 7));
    return out;
}

// One track: a note on and off, then the end of the track.
inline Bytes TinyMidi() {
    return {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96,
            'M', 'T', 'r', 'k', 0, 0, 0, 12, 0, 0x90, 60, 64, 96, 0x80, 60, 0, 0, 0xFF, 0x2F, 0};
}
