// The players' display, event loop, keyboard and joysticks, on SDL2: a desktop
// full-screen window showing the 800 x 600 picture scaled with its aspect kept.
#pragma once

#include "FramePacer.h"
#include "Input.h"
#include "Platform.h"
#include "ShownPicture.h"
#include "SoftDisplay.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

struct SDL_Window;
struct SDL_Texture;
union SDL_Event;
struct _SDL_Joystick;

namespace platform {

// Whether a GL renderer string names a rasteriser that runs on the processor.
bool IsSoftwareRasteriser(const char* glRenderer);

// The set-up steps: CreateDevice starts SDL's video, TakeFullScreen opens the
// window, SetMode accepts the one picture size, CreateSurfaces makes the
// renderer and the streaming texture the picture is uploaded to, and
// AttachBackBuffer hands out the memory picture as the back buffer.
// A flip sends the window only a picture that changed, or every picture
// after the window itself changed (shown, uncovered, resized, focused...).
class SdlDisplay : public SoftDisplay {
public:
    SdlDisplay() = default;
    ~SdlDisplay() override { ReleaseDevice(); }
    SdlDisplay(const SdlDisplay&) = delete;
    SdlDisplay& operator=(const SdlDisplay&) = delete;

    // What the window shows, letterbox included: RGB rows of width x height.
    bool CaptureWindow(std::vector<std::uint8_t>& rgb, int& width, int& height);
    int Presents() const { return presents_; }  // pictures sent to the window

    bool CreateDevice() override;
    bool TakeFullScreen() override;
    bool SetMode(int width, int height, int bitsPerPixel) override;
    bool CreateSurfaces() override;
    bool AttachBackBuffer() override;
    void ReleaseBackBuffer() override { attached_ = false; }
    void ReleaseSurfaces() override;
    void ReleaseDevice() override;

    int StepsDue() override { return pacer_.StepsDue(); }
    Canvas* TakeContext() override;
    void ReleaseContext() override { canvas_.EndFrame(); }
    void Flip(std::uint32_t pauseMs) override;

    void HideCursor() override;
    void RestoreCursor() override;

private:
    static int NoteWindowEvent(void* display, SDL_Event* event);
    bool Upload();  // false when the window has the picture already
    void Present();
    void WaitForTick(std::uint32_t pauseMs);  // until the frame clock's next tick

    bool video_ = false;
    SDL_Window* window_ = nullptr;
    bool modeSet_ = false;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    bool attached_ = false;
    bool watching_ = false;
    std::atomic<bool> repaint_{false};  // set by window events, from SDL's event pump
    ShownPicture shown_;
    int presents_ = 0;
    FramePacer pacer_;
};

// Every pending event first (key presses, auto-repeat included, by where the
// key is; a quit or the window's close button closes), then one idle call.
class SdlApplication final : public Application {
public:
    SdlApplication();
    ~SdlApplication() override;
    SdlApplication(const SdlApplication&) = delete;
    SdlApplication& operator=(const SdlApplication&) = delete;

    void SetCloseHandler(CloseHandler handler) override { onClose_ = std::move(handler); }
    void Run(const KeyHandler& onKeyDown, const IdleHandler& onIdle) override;
    void Close() override;
    bool Closed() const override { return closing_; }

private:
    bool events_ = false;
    bool closing_ = false;
    CloseHandler onClose_;
};

class SdlKeyboard final : public Keyboard {
public:
    void ReadState(std::uint8_t (&keys)[256]) override;
};

// Joysticks 0 and 1 are SDL's first two devices, opened when first read
// (and again after being unplugged): axes 0 and 1, the first hat, 32 buttons.
class SdlJoysticks final : public Joysticks {
public:
    SdlJoysticks();
    ~SdlJoysticks() override;
    SdlJoysticks(const SdlJoysticks&) = delete;
    SdlJoysticks& operator=(const SdlJoysticks&) = delete;

    bool ReadPosition(int id, JoystickPosition& position) override;
    bool ReadCaps(int id, JoystickCaps& caps) override;

private:
    _SDL_Joystick* Open(int id);
    bool subsystem_ = false;
    std::array<_SDL_Joystick*, 2> sticks_{};
};

// The display, application, keyboard and joysticks on SDL2, made together.
// Members are made in this order and undone in reverse, so the window closes
// before SDL's event and joystick services stop.
struct SdlVideo {
    SdlApplication application;
    SdlJoysticks joysticks;
    SdlKeyboard keyboard;
    SdlDisplay display;

    void Provide(Services& services) { ProvideVideo(services, application, display, keyboard, joysticks); }
};

std::unique_ptr<SdlVideo> MakeSdlVideo();

}  // namespace platform
