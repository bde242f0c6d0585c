#include "MidiCheck.h"

#include <algorithm>
#include <cstring>

namespace platform {
namespace {

// The synthesiser's reader takes the header's bytes as signed chars; what
// follows repeats its arithmetic where that changes which files it reads.
int Signed(std::uint8_t byte) { return static_cast<signed char>(byte); }

// The track count: the high byte weighs 2^16, not 2^8, and negative counts read no tracks.
std::int32_t TrackCount(const std::uint8_t* header) {
    const std::uint32_t high = static_cast<std::uint32_t>(Signed(header[10]));
    const std::uint32_t low = static_cast<std::uint32_t>(Signed(header[11]));
    return static_cast<std::int32_t>((high << 16) + low);
}

// Reads forward through the whole image, a byte at a time or in blocks, with
// one byte that can be put back (the first data byte under running status).
// `trackBytes` counts what was taken from the image since the track's length.
class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool Byte(int& value) {
        if (pushed_ >= 0) {
            value = pushed_;
            pushed_ = -1;
            return true;
        }
        if (at_ >= size_) return false;
        value = data_[at_++];
        ++trackBytes;
        return true;
    }
    void PutBack(int value) { pushed_ = value; }
    bool Block(std::size_t bytes, const std::uint8_t** start = nullptr) {
        if (size_ - at_ < bytes) return false;
        if (start) *start = data_ + at_;
        at_ += bytes;
        trackBytes += static_cast<std::int64_t>(bytes);
        return true;
    }
    std::size_t Offset() const { return at_; }
    // Past the end is at the end: nothing more can be read.
    void Skip(std::int64_t bytes) { at_ += static_cast<std::size_t>(std::min<std::int64_t>(bytes, size_ - at_)); }
    // A variable-length quantity: at most four bytes, seven bits each.
    bool Quantity(std::uint32_t& value) {
        value = 0;
        for (int i = 0; i < 4; ++i) {
            int byte = 0;
            if (!Byte(byte)) return false;
            value = value << 7 | (byte & 0x7F);
            if (!(byte & 0x80)) return true;
        }
        return false;
    }

    std::int64_t trackBytes = 0;

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
    int pushed_ = -1;
};

// The meta events the reader checks the length of; a wrong length fails the file.
bool MetaLengthFits(int type, std::uint32_t length) {
    switch (type) {
    case 0x2F: return length == 0;  // end of track
    case 0x51: return length == 3;  // tempo
    case 0x54: return length == 5;  // SMPTE offset
    case 0x58: return length == 4;  // time signature
    case 0x59: return length == 2;  // key signature
    default: return true;
    }
}

// The meta events the player keeps; the time before any other is lost with it.
bool MetaIsKept(int type) { return type == 0x2F || type == 0x51 || type == 0x01 || type == 0x05; }

struct File {
    Reader reader;
    int running = -1;  // the last status of any kind, carried from track to track
};

// Reads one event; `kept` gets whether the player keeps it, `endOfTrack` whether it ends the track.
bool ReadEvent(File& file, std::uint32_t& delta, bool& kept, bool& endOfTrack) {
    Reader& in = file.reader;
    int status = 0;
    if (!in.Quantity(delta) || !in.Byte(status)) return false;
    if (status < 0x80) {
        if (file.running < 0) return false;  // a data byte with no status before it
        in.PutBack(status);
        status = file.running;
    }
    file.running = status;

    kept = true;
    if (status == 0xF0) {
        std::uint32_t length = 0;
        if (!in.Quantity(length)) return false;
        kept = length > 0;
        return in.Block(length);
    }
    if (status == 0xFF) {
        int type = 0;
        std::uint32_t length = 0;
        if (!in.Byte(type) || !in.Quantity(length) || !in.Block(length) || !MetaLengthFits(type, length)) return false;
        kept = MetaIsKept(type);
        endOfTrack = type == 0x2F;
        return true;
    }
    int data = 0;
    if (!in.Byte(data)) return false;
    switch (status & 0xF0) {
    case 0xC0:
    case 0xD0: return true;
    case 0xF0: return false;  // no other system message belongs in a file
    default: return in.Byte(data);
    }
}

// Reads one track chunk; `ticks` gets the tick of the last event the player keeps.
MidiFault ReadTrack(File& file, std::int64_t& ticks) {
    Reader& in = file.reader;
    const std::uint8_t* header = nullptr;
    if (!in.Block(8, &header)) return MidiFault::Event;
    if (std::memcmp(header, "MTrk", 4) != 0) return MidiFault::NotATrack;
    const std::int32_t length = static_cast<std::int32_t>(std::uint32_t{header[4]} << 24 | std::uint32_t{header[5]} << 16 |
                                                          std::uint32_t{header[6]} << 8 | header[7]);
    const std::size_t start = in.Offset();
    in.trackBytes = 0;

    ticks = 0;
    std::int64_t pending = 0;  // time since the last event kept
    for (bool endOfTrack = false; !endOfTrack && in.trackBytes < length;) {
        std::uint32_t delta = 0;
        bool kept = false;
        if (!ReadEvent(file, delta, kept, endOfTrack)) return MidiFault::Event;
        pending += delta;
        if (kept) {
            ticks += pending;
            pending = 0;
        }
    }
    // An event may run past its chunk's end: the next chunk is then read from
    // where it stopped. A chunk longer than the file ends the file, not the track,
    // but one whose end lies past 2^31 - 1 bytes into the file fails it: the
    // reader's position is a signed 32-bit number.
    if (in.trackBytes < length) {
        if (static_cast<std::int64_t>(start) + length > INT32_MAX) return MidiFault::Event;
        in.Skip(length - in.trackBytes);
    }
    return MidiFault::None;
}

}  // namespace

MidiFault CheckMidi(const std::uint8_t* data, std::size_t size) {
    if (!data || size < 14 || std::memcmp(data, "MThd", 4) != 0 || data[7] != 6) return MidiFault::Header;
    if (Signed(data[9]) > 2 || (data[12] & 0x80)) return MidiFault::Header;  // a format above 2; SMPTE timing

    const std::int32_t tracks = TrackCount(data);  // none read when it is 0 or less

    File file{Reader(data, size)};
    file.reader.Skip(14);
    std::int64_t longest = 0;
    for (std::int32_t track = 0; track < tracks; ++track) {
        std::int64_t ticks = 0;
        if (const MidiFault fault = ReadTrack(file, ticks); fault != MidiFault::None) return fault;
        if (ticks > longest) longest = ticks;
    }
    // The player holds 128 tracks; the count's bytes give either at most 127 or tens of thousands.
    if (tracks > 127) return MidiFault::Header;
    return longest > 0 ? MidiFault::None : MidiFault::NoTime;
}

}  // namespace platform
