// The players' display, event loop, keyboard and joysticks, on SDL2: a desktop
// full-screen window showing the 800 x 600 picture scaled with its aspect kept.
#pragma once

#include "FramePacer.h"
#include "GlProbe.h"
#include "Input.h"
#include "LinearStretch.h"
#include "Platform.h"
#include "ShownPicture.h"
#include "SoftDisplay.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

struct SDL_Window;
struct SDL_Texture;
struct SDL_Surface;
union SDL_Event;
struct _SDL_Joystick;

namespace platform {

// The set-up steps: CreateDevice starts SDL's video, TakeFullScreen opens the
// window (for GL only where GL runs on a GPU), SetMode accepts the one
// picture size, CreateSurfaces makes the GL renderer and the streaming
// texture the picture is uploaded to, or else takes the window's own surface
// the picture is stretched into, and AttachBackBuffer hands out the memory
// picture as the back buffer.
// A flip sends the window only the rows of the picture that changed, or the
// whole window after the window itself changed (shown, uncovered, resized,
// focused...).
class SdlDisplay : public SoftDisplay {
public:
    SdlDisplay() = default;
    ~SdlDisplay() override { ReleaseDevice(); }
    SdlDisplay(const SdlDisplay&) = delete;
    SdlDisplay& operator=(const SdlDisplay&) = delete;

    // What the window shows, letterbox included: RGB rows of width x height.
    bool CaptureWindow(std::vector<std::uint8_t>& rgb, int& width, int& height);
    int Presents() const { return presents_; }  // pictures sent to the window
    bool Stretching() const { return stretching_; }  // into the window's surface, by our own stretch
    // Sends the window what changed, as a flip does before it waits for the tick.
    bool Show();
    // A window of its own size, out of full screen (tests and benchmarks).
    bool SetWindowSize(int width, int height);
    // The picture through a texture and a renderer even where the game would
    // stretch it itself (GL on the processor, or no GL window at all), so
    // that tests can run that path. Before TakeFullScreen.
    void TakeTexturePath() { texturePath_ = true; }
    bool OnGl() const { return gl_; }  // the texture path, on a GL renderer
    // Told the rows each send hands on: picture rows into the texture, or
    // window rows into the window's surface. False fails the send, as a lost
    // upload would (tests).
    void WatchSends(std::function<bool(int top, int bottom)> watch) { watchSends_ = std::move(watch); }
    // The frame clock's time in ms and its wait; by default the system's.
    void SetClock(std::function<double()> nowMs, std::function<void(std::uint32_t ms)> wait) {
        clockMs_ = std::move(nowMs);
        wait_ = std::move(wait);
    }

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
    bool Upload(ShownPicture::Rows rows);  // into the texture, then presented
    void Present();
    bool Stretch(ShownPicture::Rows rows, bool wholeWindow);  // into the window's surface, then sent
    void WaitForTick(std::uint32_t pauseMs);  // until the frame clock's next tick

    bool video_ = false;
    SDL_Window* window_ = nullptr;
    bool modeSet_ = false;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    bool attached_ = false;
    bool stretching_ = false;
    bool texturePath_ = false;
    bool gl_ = false;
    std::function<bool(int, int)> watchSends_;
    SDL_Surface* windowSurface_ = nullptr;  // while stretching: the surface the picture was last put on
    int placedX_ = 0, placedY_ = 0, placedWidth_ = 0, placedHeight_ = 0;  // the picture in it
    LinearStretch stretch_;
    bool watching_ = false;
    ShownPicture shown_;
    int presents_ = 0;
    FramePacer pacer_;
    std::function<double()> clockMs_;
    std::function<void(std::uint32_t)> wait_;
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

}  // namespace platform
