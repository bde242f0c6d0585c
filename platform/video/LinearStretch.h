// The picture stretched into the window with linear filtering, as the
// players have always seen it, written straight into the window's surface.
// The weights are worked out once for one pair of sizes, and a changed band
// of the picture redraws only the window rows it reaches.
#pragma once

#include <cstdint>
#include <vector>

namespace platform {

class LinearStretch {
public:
    struct Rows {  // [first, last) of the target
        int first = 0, last = 0;
    };

    // The processor's instructions the rows are worked with; every one
    // gives the same picture. The best the processor has is taken.
    enum class Path { kPlain, kSse2, kAvx2 };
    static bool Runs(Path path);  // on this processor, in this build
    bool Use(Path path);          // false, keeping the one in use, where it does not run
    Path InUse() const { return path_; }

    LinearStretch();

    // For pictures of sourceWidth x sourceHeight into targets of
    // targetWidth x targetHeight; false when a size is not positive.
    bool Prepare(int sourceWidth, int sourceHeight, int targetWidth, int targetHeight);

    // The target rows that read any of the source rows [top, bottom).
    Rows RowsReading(int top, int bottom) const;

    // Writes the target rows [rows.first, rows.last) from 32-bit pixels
    // (rows `pitch` bytes apart); `target` is the target's top left pixel.
    void Run(const void* source, int sourcePitch, void* target, int targetPitch, Rows rows);

    // Eight target pixels whose pairs all lie in the eight source pixels from
    // `base` (-1: they do not): each one's first there, and the pairs' halved
    // weights in the order the wide path takes them.
    struct Near {
        int base = -1;
        std::int32_t left[8] = {};
        std::uint8_t halves[64] = {};
    };

    struct Tap {  // a target pixel reads `first` and the one after it, `weight` / 256 of the latter (0 to 256)
        int first;
        std::uint32_t weight;
    };

private:
    static std::vector<Tap> Taps(int source, int target);
    const std::uint32_t* Across(const void* source, int sourcePitch, int y);

    Path path_ = Path::kPlain;
    int sourceWidth_ = 0, sourceHeight_ = 0;
    std::vector<Tap> columns_, rows_;
    std::vector<std::uint16_t> pairWeights_;  // per column: 256 - weight four times, then weight four times
    std::vector<Near> near_;                  // per eight columns
    std::vector<std::uint8_t> pairHalves_;    // per column: 128 - weight / 2, then weight / 2, four times
    std::vector<std::uint32_t> across_[2];  // two source rows stretched across
    int acrossRow_[2] = {-1, -1};
    int latest_ = 0;  // the one read last
};

}  // namespace platform
