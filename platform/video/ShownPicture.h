// The picture the window last got, so that a frame sends only the rows that
// changed, and nothing when it drew the same picture again (the game redraws
// every frame, so only the pixels themselves tell).
#pragma once

#include <cstdint>
#include <vector>

namespace platform {

class ShownPicture {
public:
    struct Rows {  // [top, bottom): empty when nothing changed
        int top = 0, bottom = 0;
        bool Empty() const { return top == bottom; }
    };

    // Takes 32-bit `pixels` (rows `pitch` bytes apart) as shown and gives
    // the band of rows that differ from the picture shown before.
    Rows Update(const void* pixels, int pitch, int width, int height);

    // The window lost what it showed: the next update gives every row.
    void Forget() { rows_ = 0; }

private:
    std::vector<std::uint32_t> shown_;
    int width_ = 0, rows_ = 0;  // rows_ 0: nothing shown
};

}  // namespace platform
