// The application window, its event loop and the full-screen game picture:
// a primary surface with one back buffer, flipped once a frame.
#pragma once

#include "Canvas.h"

#include <cstdint>
#include <functional>

namespace platform {

class Display {
public:
    virtual ~Display() = default;

    // Setting up, in this order; each gives false when it fails.
    virtual bool CreateDevice() = 0;
    virtual bool TakeFullScreen() = 0;  // exclusive, desktop full screen, the picture scaled with its aspect kept
    virtual bool SetMode(int width, int height, int bitsPerPixel) = 0;
    virtual bool CreateSurfaces() = 0;   // primary surface with one back buffer
    virtual bool AttachBackBuffer() = 0;
    // Tearing down: each releases what exists (harmless when nothing does).
    virtual void ReleaseBackBuffer() = 0;
    virtual void ReleaseSurfaces() = 0;
    virtual void ReleaseDevice() = 0;

    // The logic steps the coming frame runs before it draws: 1, or a few more
    // after a late frame, so that the game keeps 60 steps a second under load.
    virtual int StepsDue() = 0;

    // The back buffer's drawing context, once a frame: null when it cannot be
    // taken (no surfaces, or the picture is lost), and then nothing is drawn.
    virtual Canvas* TakeContext() = 0;
    virtual void ReleaseContext() = 0;
    // Shows the back buffer at the frame clock's next tick. The game pauses
    // `pauseMs` after it on purpose, which the clock does not count as lateness.
    virtual void Flip(std::uint32_t pauseMs) = 0;

    // Solid pens and brushes, from creation to deletion, across frames; they
    // can be made whether or not the display could be set up.
    virtual PenId CreatePen(int width, Color color) = 0;
    virtual BrushId CreateBrush(Color color) = 0;
    virtual void DeletePen(PenId pen) = 0;
    virtual void DeleteBrush(BrushId brush) = 0;

    virtual void HideCursor() = 0;
    virtual void RestoreCursor() = 0;
};

// The application: runs the event loop, calling the key handler for every
// key press (Windows virtual-key codes) and the idle handler whenever no
// event is pending, until the form is closed.
class Application {
public:
    virtual ~Application() = default;

    using KeyHandler = std::function<void(std::uint16_t virtualKey)>;
    using IdleHandler = std::function<void()>;
    using CloseHandler = std::function<void()>;

    virtual void SetCloseHandler(CloseHandler handler) = 0;
    virtual void Run(const KeyHandler& onKeyDown, const IdleHandler& onIdle) = 0;

    // Closes the form from anywhere: the close handler runs once (a close
    // while closing does nothing more) and the loop ends after the current step.
    virtual void Close() = 0;
    virtual bool Closed() const = 0;
};

}  // namespace platform
