// Builds RIFF/WAVE images chunk by chunk, well-formed or not, for tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class WaveImage {
public:
    // "RIFF", its length (the true one unless `riffLength` is given), "WAVE".
    explicit WaveImage(std::string form = "WAVE") : form_(std::move(form)) {}

    WaveImage& Chunk(const std::string& id, const std::vector<std::uint8_t>& body, std::int64_t declared = -1) {
        Tag(id);
        Word(declared < 0 ? static_cast<std::uint32_t>(body.size()) : static_cast<std::uint32_t>(declared));
        chunks_.insert(chunks_.end(), body.begin(), body.end());
        if (body.size() % 2) chunks_.push_back(0);  // pad byte
        return *this;
    }
    // The format of the game's sounds: PCM, mono, 8 kHz, 8 bits; `bytes` long (14-18).
    WaveImage& Format(std::size_t bytes = 18) {
        std::vector<std::uint8_t> f = {1, 0, 1, 0, 0x40, 0x1F, 0, 0, 0x40, 0x1F, 0, 0, 1, 0, 8, 0, 0, 0};
        f.resize(bytes);
        return Chunk("fmt ", f);
    }
    WaveImage& Data(const std::vector<std::uint8_t>& samples) { return Chunk("data", samples); }

    std::vector<std::uint8_t> Bytes(std::int64_t riffLength = -1) const {
        WaveImage out;
        out.Tag("RIFF");
        out.Word(riffLength < 0 ? static_cast<std::uint32_t>(4 + chunks_.size()) : static_cast<std::uint32_t>(riffLength));
        out.Tag(form_);
        out.chunks_.insert(out.chunks_.end(), chunks_.begin(), chunks_.end());
        return out.chunks_;
    }

private:
    void Tag(const std::string& tag) {
        for (int i = 0; i < 4; ++i) chunks_.push_back(i < static_cast<int>(tag.size()) ? tag[i] : ' ');
    }
    void Word(std::uint32_t value) {
        for (int i = 0; i < 4; ++i) chunks_.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }

    std::string form_;
    std::vector<std::uint8_t> chunks_;
};
