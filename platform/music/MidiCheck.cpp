#include "MidiCheck.h"

#include <cstring>

namespace platform {
namespace {

std::uint32_t BigEndian(const std::uint8_t* at, int bytes) {
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) value = value << 8 | at[i];
    return value;
}

// Reads forward through one chunk; every read past its end fails.
class Reader {
public:
    Reader(const std::uint8_t* at, std::size_t size) : at_(at), end_(at + size) {}

    bool Byte(std::uint8_t& value) {
        if (at_ == end_) return false;
        value = *at_++;
        return true;
    }
    bool Skip(std::uint32_t bytes) {
        if (static_cast<std::size_t>(end_ - at_) < bytes) return false;
        at_ += bytes;
        return true;
    }
    // A variable-length quantity: at most four bytes, seven bits each.
    bool Quantity(std::uint32_t& value) {
        value = 0;
        for (int i = 0; i < 4; ++i) {
            std::uint8_t byte = 0;
            if (!Byte(byte)) return false;
            value = value << 7 | (byte & 0x7F);
            if (!(byte & 0x80)) return true;
        }
        return false;
    }

private:
    const std::uint8_t* at_;
    const std::uint8_t* end_;
};

// Reads one track up to its end of track; `ticks` is the tick of that end.
bool ReadTrack(Reader track, std::uint64_t& ticks) {
    ticks = 0;
    std::uint8_t running = 0;  // the last channel status; none after a meta or system exclusive event
    for (;;) {
        std::uint32_t delta = 0;
        std::uint8_t status = 0;
        if (!track.Quantity(delta) || !track.Byte(status)) return false;
        ticks += delta;

        if (status == 0xFF) {
            std::uint8_t type = 0;
            std::uint32_t length = 0;
            if (!track.Byte(type) || type >= 0x80 || !track.Quantity(length) || !track.Skip(length)) return false;
            if (type == 0x2F) return true;
            running = 0;
            continue;
        }
        if (status == 0xF0 || status == 0xF7) {
            std::uint32_t length = 0;
            if (!track.Quantity(length) || !track.Skip(length)) return false;
            running = 0;
            continue;
        }
        if (status >= 0xF0) return false;  // no other system message belongs in a file

        std::uint8_t data = status;
        if (status >= 0x80) {
            running = status;
            if (!track.Byte(data)) return false;
        } else if (!running) {
            return false;  // a data byte with no status before it
        }
        const std::uint8_t kind = running & 0xF0;
        const int dataBytes = kind == 0xC0 || kind == 0xD0 ? 1 : 2;
        if (data >= 0x80) return false;
        if (dataBytes == 2 && (!track.Byte(data) || data >= 0x80)) return false;
    }
}

}  // namespace

bool IsPlayableMidi(const std::uint8_t* data, std::size_t size) {
    if (!data || size < 14 || std::memcmp(data, "MThd", 4) != 0) return false;
    const std::uint32_t headerBytes = BigEndian(data + 4, 4);
    const std::uint32_t format = BigEndian(data + 8, 2);
    const std::uint32_t tracks = BigEndian(data + 10, 2);
    const std::uint32_t division = BigEndian(data + 12, 2);
    if (headerBytes < 6 || headerBytes > size - 8 || format > 2 || tracks == 0) return false;
    // Ticks per quarter note, or frames per second (negative) and ticks per frame.
    if (division == 0 || ((division & 0x8000) && (division & 0xFF) == 0)) return false;

    std::uint64_t longest = 0;
    std::size_t at = 8 + std::size_t{headerBytes};
    for (std::uint32_t found = 0; found < tracks;) {
        if (size - at < 8) return false;
        const std::uint32_t length = BigEndian(data + at + 4, 4);
        if (size - at - 8 < length) return false;
        if (std::memcmp(data + at, "MTrk", 4) == 0) {
            std::uint64_t ticks = 0;
            if (!ReadTrack(Reader(data + at + 8, length), ticks)) return false;
            if (ticks > longest) longest = ticks;
            ++found;
        }
        at += 8 + std::size_t{length};  // chunks of other kinds are passed over
    }
    return longest > 0;
}

}  // namespace platform
