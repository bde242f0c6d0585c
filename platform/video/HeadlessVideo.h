// The headless display, application loop, keyboard and joysticks: no window,
// deterministic, scripted and inspected by tests.
#pragma once

#include "FramePacer.h"
#include "Input.h"
#include "Platform.h"
#include "SoftDisplay.h"

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace platform {

// The steps of setting up the display a test can make fail.
enum class DisplayStep { CreateDevice, TakeFullScreen, SetMode, CreateSurfaces, AttachBackBuffer };

class HeadlessDisplay final : public SoftDisplay {
public:
    HeadlessDisplay() { canvas_.SetTextLog(&texts_); }

    // Scripting. Frames count the TakeContext calls, from 0.
    void Refuse(DisplayStep step) { refused_.insert(step); }
    void FailContextOnFrame(int frame) { failedFrames_.insert(frame); }
    // The frame clock runs on simulated time: each frame works `time(flip)`
    // ms before its flip (none unless set, so every frame is on time).
    void SetFrameTime(std::function<double(int flip)> time) { frameTime_ = std::move(time); }

    // Inspection.
    const std::vector<std::string>& Calls() const { return calls_; }  // set-up, tear-down and cursor calls
    bool Ready() const { return level_ == kReady; }  // every set-up step done and nothing released
    int Frames() const { return frames_; }
    int ContextsGiven() const { return given_; }
    int ContextsReleased() const { return released_; }
    int Flips() const { return flips_; }
    double ClockMs() const { return clockMs_; }  // simulated time, pauses included
    bool CursorHidden() const { return cursorHidden_; }
    int LivePens() const { return objects_.LivePens(); }
    int LiveBrushes() const { return objects_.LiveBrushes(); }
    const std::vector<DrawnText>& Texts() const { return texts_; }  // of the frame being drawn or last drawn
    Color Pixel(int x, int y) { return canvas_.Pixel(x, y); }
    bool SavePng(const std::string& path);
    SoftCanvas& Picture() { return canvas_; }

    bool CreateDevice() override { return Step(DisplayStep::CreateDevice, "CreateDevice"); }
    bool TakeFullScreen() override { return Step(DisplayStep::TakeFullScreen, "TakeFullScreen"); }
    bool SetMode(int width, int height, int bitsPerPixel) override;
    bool CreateSurfaces() override { return Step(DisplayStep::CreateSurfaces, "CreateSurfaces"); }
    bool AttachBackBuffer() override { return Step(DisplayStep::AttachBackBuffer, "AttachBackBuffer"); }
    void ReleaseBackBuffer() override { Release(kReady - 1, "ReleaseBackBuffer"); }
    void ReleaseSurfaces() override { Release(kReady - 2, "ReleaseSurfaces"); }
    void ReleaseDevice() override { Release(0, "ReleaseDevice"); }

    Canvas* TakeContext() override;
    void ReleaseContext() override;
    int StepsDue() override { return pacer_.StepsDue(); }
    void Flip(std::uint32_t pauseMs) override;

    void HideCursor() override;
    void RestoreCursor() override;

private:
    static constexpr int kReady = 5;  // the number of set-up steps
    bool Step(DisplayStep step, const char* name, bool possible = true);
    void Release(int level, const char* name);

    std::set<DisplayStep> refused_;
    std::set<int> failedFrames_;
    std::vector<std::string> calls_;
    std::vector<DrawnText> texts_;
    int level_ = 0;  // how many set-up steps hold
    int frames_ = 0, given_ = 0, released_ = 0, flips_ = 0;
    bool inContext_ = false;
    bool cursorHidden_ = false;
    std::function<double(int)> frameTime_;
    FramePacer pacer_;
    double clockMs_ = 0;
};

// Keys are queued to arrive before a given idle call; Run dispatches every
// key that is due, then makes one idle call, until closed or out of frames.
class HeadlessApplication final : public Application {
public:
    void QueueKey(std::uint16_t virtualKey, int beforeFrame = 0) { keys_.push_back({virtualKey, beforeFrame}); }
    void SetFrameBudget(int frames) { budget_ = frames; }  // idle calls per Run; unlimited by default
    int Frames() const { return frames_; }                  // idle calls so far
    int CloseHandlerRuns() const { return closeRuns_; }

    void SetCloseHandler(CloseHandler handler) override { onClose_ = std::move(handler); }
    void Run(const KeyHandler& onKeyDown, const IdleHandler& onIdle) override;
    void Close() override;
    bool Closed() const override { return closing_; }

private:
    struct Key {
        std::uint16_t code;
        int due;
    };
    std::deque<Key> keys_;
    std::optional<int> budget_;
    int frames_ = 0;
    int closeRuns_ = 0;
    bool closing_ = false;
    CloseHandler onClose_;
};

class HeadlessKeyboard final : public Keyboard {
public:
    void SetKey(std::uint8_t virtualKey, bool down) { keys_[virtualKey] = down ? kKeyDown : 0; }
    void ReleaseAll() { keys_.fill(0); }
    int Reads() const { return reads_; }
    void ReadState(std::uint8_t (&keys)[256]) override;

private:
    std::array<std::uint8_t, 256> keys_{};
    int reads_ = 0;
};

class HeadlessJoysticks final : public Joysticks {
public:
    // A joystick reads only once connected; the default range centres on 32768.
    void Connect(int id, JoystickCaps caps = {0, 65535, 0, 65535, 4});
    void Disconnect(int id);
    void SetPosition(int id, JoystickPosition position);
    bool ReadPosition(int id, JoystickPosition& position) override;
    bool ReadCaps(int id, JoystickCaps& caps) override;

private:
    struct Stick {
        JoystickCaps caps;
        JoystickPosition position;
    };
    std::optional<Stick>* Find(int id);
    std::array<std::optional<Stick>, 2> sticks_;
};

// The display, application, keyboard and joysticks of the headless back end, made together.
struct HeadlessVideo {
    HeadlessDisplay display;
    HeadlessApplication application;
    HeadlessKeyboard keyboard;
    HeadlessJoysticks joysticks;

    void Provide(Services& services) { ProvideVideo(services, application, display, keyboard, joysticks); }
};

inline std::unique_ptr<HeadlessVideo> MakeHeadlessVideo() { return std::make_unique<HeadlessVideo>(); }

}  // namespace platform
