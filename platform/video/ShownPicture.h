// The picture the window last got, so that a frame sends only the rows that
// changed, and nothing when it drew the same picture again (the game redraws
// every frame, so only the pixels themselves tell).
#pragma once

#include <atomic>
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

    // The window itself changed (uncovered, resized, its renderer reset):
    // the next send is of the whole window. Safe from any thread.
    void WindowChanged() { windowChanged_ = true; }

    // Sends the changed rows, if any, with `send(rows, wholeWindow)`, which
    // says whether they reached the window; rows that did not are sent
    // again with the next picture. False when there was nothing to send.
    template <typename Sender>
    bool Send(const void* pixels, int pitch, int width, int height, Sender&& send) {
        const bool wholeWindow = windowChanged_.exchange(false);
        if (wholeWindow) Forget();
        const Rows rows = Update(pixels, pitch, width, height);
        if (rows.Empty()) return false;
        if (!send(rows, wholeWindow)) {
            Forget();
            if (wholeWindow) windowChanged_ = true;
        }
        return true;
    }

private:
    std::vector<std::uint32_t> shown_;
    int width_ = 0, rows_ = 0;  // rows_ 0: nothing shown
    std::atomic<bool> windowChanged_{false};
};

}  // namespace platform
