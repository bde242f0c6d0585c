#include "HeadlessVideo.h"

#include "PngWriter.h"

#include <algorithm>

namespace platform {

// ---- display ----

bool HeadlessDisplay::Step(DisplayStep step, const char* name, bool possible) {
    calls_.push_back(name);
    const int index = static_cast<int>(step);
    if (!possible || refused_.count(step) || level_ < index) return false;  // refused, or an earlier step missing
    level_ = std::max(level_, index + 1);
    return true;
}

bool HeadlessDisplay::SetMode(int width, int height, int bitsPerPixel) {
    const bool known = width == kPictureWidth && height == kPictureHeight &&
                       (bitsPerPixel == 8 || bitsPerPixel == 16 || bitsPerPixel == 24 || bitsPerPixel == 32);
    return Step(DisplayStep::SetMode, "SetMode", known);  // the one picture there is
}

void HeadlessDisplay::Release(int level, const char* name) {
    calls_.push_back(name);
    level_ = std::min(level_, level);
}

Canvas* HeadlessDisplay::TakeContext() {
    const int frame = frames_++;
    texts_.clear();
    if (!Ready() || failedFrames_.count(frame)) return nullptr;
    ++given_;
    inContext_ = true;
    canvas_.BeginFrame();
    return &canvas_;
}

void HeadlessDisplay::ReleaseContext() {
    if (!inContext_) return;
    inContext_ = false;
    ++released_;
    canvas_.EndFrame();
}

void HeadlessDisplay::Flip(std::uint32_t pauseMs) {
    if (frameTime_) clockMs_ += frameTime_(flips_);
    clockMs_ += pacer_.DelayMs(clockMs_, pauseMs) + pauseMs;
    ++flips_;
}

void HeadlessDisplay::HideCursor() {
    calls_.push_back("HideCursor");
    cursorHidden_ = true;
}

void HeadlessDisplay::RestoreCursor() {
    calls_.push_back("RestoreCursor");
    cursorHidden_ = false;
}

bool HeadlessDisplay::SavePng(const std::string& path) {
    std::vector<std::uint8_t> rgb;
    rgb.reserve(kPictureWidth * kPictureHeight * 3);
    for (int y = 0; y < kPictureHeight; ++y) {
        for (int x = 0; x < kPictureWidth; ++x) {
            const Color c = canvas_.Pixel(x, y);
            rgb.insert(rgb.end(), {c.r, c.g, c.b});
        }
    }
    return WritePng(path, kPictureWidth, kPictureHeight, rgb.data());
}

// ---- application ----

void HeadlessApplication::Run(const KeyHandler& onKeyDown, const IdleHandler& onIdle) {
    for (int ran = 0; !closing_ && (!budget_ || ran < *budget_); ++ran) {
        while (!closing_ && !keys_.empty() && keys_.front().due <= frames_) {
            const std::uint16_t key = keys_.front().code;
            keys_.pop_front();
            if (onKeyDown) onKeyDown(key);
        }
        if (closing_) break;
        ++frames_;
        if (onIdle) onIdle();
    }
}

void HeadlessApplication::Close() {
    if (closing_) return;  // a close while closing, or a second one
    closing_ = true;
    ++closeRuns_;
    if (onClose_) onClose_();
}

// ---- input ----

void HeadlessKeyboard::ReadState(std::uint8_t (&keys)[256]) {
    ++reads_;
    std::copy(keys_.begin(), keys_.end(), keys);
}

std::optional<HeadlessJoysticks::Stick>* HeadlessJoysticks::Find(int id) {
    return id >= 0 && id < static_cast<int>(sticks_.size()) ? &sticks_[id] : nullptr;
}

void HeadlessJoysticks::Connect(int id, JoystickCaps caps) {
    const std::uint32_t centreX = (caps.xMin + caps.xMax) / 2 + 1, centreY = (caps.yMin + caps.yMax) / 2 + 1;
    if (auto* stick = Find(id)) *stick = Stick{caps, JoystickPosition{centreX, centreY, 0}};
}

void HeadlessJoysticks::Disconnect(int id) {
    if (auto* stick = Find(id)) stick->reset();
}

void HeadlessJoysticks::SetPosition(int id, JoystickPosition position) {
    if (auto* stick = Find(id); stick && *stick) (*stick)->position = position;
}

bool HeadlessJoysticks::ReadPosition(int id, JoystickPosition& position) {
    auto* stick = Find(id);
    if (!stick || !*stick) return false;
    position = (*stick)->position;
    return true;
}

bool HeadlessJoysticks::ReadCaps(int id, JoystickCaps& caps) {
    auto* stick = Find(id);
    if (!stick || !*stick) return false;
    caps = (*stick)->caps;
    return true;
}

}  // namespace platform
