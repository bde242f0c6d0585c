// Standard MIDI File images for the tune tests, built from their track bodies.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

inline void PutBigEndian(Bytes& out, std::uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out.push_back(std::uint8_t(value >> (8 * i)));
}

inline Bytes Chunk(const std::string& type, const Bytes& body) {
    Bytes out(type.begin(), type.end());
    PutBigEndian(out, std::uint32_t(body.size()), 4);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

// A format 1 header of `tracks` tracks, then the given track bodies as MTrk chunks.
inline Bytes Smf(std::uint16_t division, std::uint16_t tracks, const std::vector<Bytes>& bodies) {
    Bytes out = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1};
    PutBigEndian(out, tracks, 2);
    PutBigEndian(out, division, 2);
    for (const Bytes& body : bodies) {
        const Bytes chunk = Chunk("MTrk", body);
        out.insert(out.end(), chunk.begin(), chunk.end());
    }
    return out;
}

inline Bytes Join(Bytes first, const Bytes& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

const Bytes kNote = {0, 0x90, 60, 64, 0x83, 0x60, 0x80, 60, 0};  // a note for 480 ticks
const Bytes kEnd = {0, 0xFF, 0x2F, 0};
const Bytes kTrack = Join(kNote, kEnd);
