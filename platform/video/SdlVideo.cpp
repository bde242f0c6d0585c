#include "SdlVideo.h"

#include "PlayerBackends.h"
#include "SdlInputMap.h"

#include <SDL.h>
#include <SDL_opengl.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace platform {

// ---- display ----

namespace {

// SDL falls back on a video driver that shows nothing when no display server
// answers; the game would then run unseen and deaf to the keyboard. Such a
// driver is taken only when SDL_VIDEODRIVER names it (the tests do).
bool ShowsNothingUnasked(const char* driver) {
    if (!driver || (SDL_strcasecmp(driver, "offscreen") != 0 && SDL_strcasecmp(driver, "dummy") != 0)) return false;
    const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    for (const char* name = asked; name && *name;) {  // a list, comma-separated
        const char* end = SDL_strchr(name, ',');
        const std::size_t length = end ? std::size_t(end - name) : SDL_strlen(name);
        if (length == SDL_strlen(driver) && SDL_strncasecmp(name, driver, length) == 0) return false;
        name = end ? end + 1 : nullptr;
    }
    return true;
}

// GL run on the processor costs far more a picture than our own stretch into
// the window's surface. Asked once the GL renderer exists, for the drivers
// the window's server did not give away beforehand.
bool OnSoftwareGl(SDL_Renderer* renderer) {
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer, &info) != 0 || !info.name || std::strncmp(info.name, "opengl", 6) != 0)
        return false;  // opengl and opengles2 are the ones to ask
    using GetString = const GLubyte*(APIENTRY*)(GLenum);
    const auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    if (!getString || !SDL_GL_GetCurrentContext()) return false;
    return IsSoftwareRasteriser(reinterpret_cast<const char*>(getString(GL_RENDERER)));
}

// Surfaces our stretch writes: 32 bits, red, green and blue in SDL's usual places.
bool StretchesInto(const SDL_Surface* surface) {
    return surface && (surface->format->format == SDL_PIXELFORMAT_XRGB8888 ||
                       surface->format->format == SDL_PIXELFORMAT_ARGB8888);
}

double MonotonicMs() {
    return static_cast<double>(SDL_GetPerformanceCounter()) * 1000.0 /
           static_cast<double>(SDL_GetPerformanceFrequency());
}

}  // namespace

bool SdlDisplay::CreateDevice() {
    if (!video_) video_ = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    if (video_ && ShowsNothingUnasked(SDL_GetCurrentVideoDriver())) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        video_ = false;
    }
    return video_;
}

bool SdlDisplay::TakeFullScreen() {
    if (video_ && !window_) {
        // Already as large as the desktop, so that the window covers it even
        // where no window manager carries out the full-screen request.
        SDL_Rect desktop{SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kPictureWidth, kPictureHeight};
        SDL_GetDisplayBounds(0, &desktop);
        // Made for GL at once where GL is worth it: a GL renderer would
        // otherwise make the full-screen window again, a quarter of a second on X.
        if (texturePath_ || !GlRunsOnProcessor(SDL_GetCurrentVideoDriver())) {
            window_ = SDL_CreateWindow("Vorntak", desktop.x, desktop.y, desktop.w, desktop.h,
                                       SDL_WINDOW_BORDERLESS | SDL_WINDOW_OPENGL);
        }
        if (!window_)
            window_ = SDL_CreateWindow("Vorntak", desktop.x, desktop.y, desktop.w, desktop.h, SDL_WINDOW_BORDERLESS);
        if (window_) SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
    }
    return window_ != nullptr;
}

bool SdlDisplay::SetMode(int width, int height, int) {
    // Any depth: the picture is drawn in 32 bits and the desktop keeps its mode.
    modeSet_ = window_ && width == kPictureWidth && height == kPictureHeight;
    return modeSet_;
}

bool SdlDisplay::CreateSurfaces() {
    if (!modeSet_) return false;
    if (!renderer_ && !stretching_) {
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
        // No vsync: the frame clock alone paces the game, whatever the display's rate.
        SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
        // The window's surface is the window's own memory, not a texture of another renderer.
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        if (SDL_GetWindowFlags(window_) & SDL_WINDOW_OPENGL) {
            renderer_ = SDL_CreateRenderer(window_, -1, 0);
            if (renderer_ && !texturePath_ && OnSoftwareGl(renderer_)) {
                SDL_DestroyRenderer(renderer_);
                renderer_ = nullptr;
            }
            gl_ = renderer_ != nullptr;
        }
        if (!renderer_ && !texturePath_) stretching_ = StretchesInto(SDL_GetWindowSurface(window_));
        if (!renderer_ && !stretching_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
        if (!renderer_ && !stretching_) return false;
        if (renderer_) SDL_RenderSetLogicalSize(renderer_, kPictureWidth, kPictureHeight);  // letterboxed, aspect kept
        SDL_AddEventWatch(&SdlDisplay::NoteWindowEvent, this);
        watching_ = true;
        windowSurface_ = nullptr;
        shown_.WindowChanged();
    }
    if (renderer_ && !texture_) {
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_XRGB8888, SDL_TEXTUREACCESS_STREAMING,
                                     kPictureWidth, kPictureHeight);
    }
    return stretching_ || texture_ != nullptr;
}

bool SdlDisplay::AttachBackBuffer() {
    attached_ = (stretching_ || texture_) && canvas_.Surface();
    return attached_;
}

void SdlDisplay::ReleaseSurfaces() {
    attached_ = false;
    if (watching_) SDL_DelEventWatch(&SdlDisplay::NoteWindowEvent, this);
    watching_ = false;
    if (texture_) SDL_DestroyTexture(texture_);
    if (renderer_) SDL_DestroyRenderer(renderer_);
    texture_ = nullptr;
    renderer_ = nullptr;
    gl_ = false;
    stretching_ = false;
    windowSurface_ = nullptr;  // the window's, freed with it
}

void SdlDisplay::ReleaseDevice() {
    ReleaseSurfaces();
    modeSet_ = false;
    if (window_) SDL_DestroyWindow(window_);
    window_ = nullptr;
    if (video_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    video_ = false;
}

Canvas* SdlDisplay::TakeContext() {
    if (!attached_) return nullptr;
    canvas_.BeginFrame();
    return &canvas_;
}

int SdlDisplay::NoteWindowEvent(void* display, SDL_Event* event) {
    // What the window showed may be gone (uncovered, resized, the render
    // device reset): send the whole window again, whether or not the picture changed.
    if (event->type == SDL_WINDOWEVENT || event->type == SDL_RENDER_TARGETS_RESET ||
        event->type == SDL_RENDER_DEVICE_RESET)
        static_cast<SdlDisplay*>(display)->shown_.WindowChanged();
    return 0;
}

bool SdlDisplay::Upload(ShownPicture::Rows rows) {
    SDL_Surface* picture = canvas_.Surface();
    const SDL_Rect band{0, rows.top, kPictureWidth, rows.bottom - rows.top};
    const auto* first =
        static_cast<const std::uint8_t*>(picture->pixels) + static_cast<std::size_t>(rows.top) * picture->pitch;
    const bool refused = watchSends_ && !watchSends_(band.y, band.y + band.h);
    if (refused || SDL_UpdateTexture(texture_, &band, first, picture->pitch) != 0) return false;
    Present();
    SDL_RenderPresent(renderer_);
    return true;
}

void SdlDisplay::Present() {
    // A GL back buffer keeps nothing from the last frame: the letterbox is cleared every time.
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
}

// The window's surface keeps what it was given, so only the window rows the
// changed picture rows reach are stretched and sent; the letterbox is
// cleared only when the whole window goes again.
bool SdlDisplay::Stretch(ShownPicture::Rows rows, bool wholeWindow) {
    if (wholeWindow || !windowSurface_) {
        wholeWindow = true;
        windowSurface_ = SDL_GetWindowSurface(window_);  // a new one after a resize
        if (!StretchesInto(windowSurface_)) {
            windowSurface_ = nullptr;
            return false;
        }
        // Placed as a renderer's logical size places it: the aspect kept, centred.
        const int width = windowSurface_->w, height = windowSurface_->h;
        const double want = double(kPictureWidth) / kPictureHeight, have = double(width) / height;
        placedX_ = placedY_ = 0;
        placedWidth_ = width;
        placedHeight_ = height;
        if (std::fabs(want - have) >= 0.0001 && want > have) {
            placedHeight_ = static_cast<int>(std::floor(kPictureHeight * (double(width) / kPictureWidth)));
            placedY_ = (height - placedHeight_) / 2;
        } else if (std::fabs(want - have) >= 0.0001) {
            placedWidth_ = static_cast<int>(std::floor(kPictureWidth * (double(height) / kPictureHeight)));
            placedX_ = (width - placedWidth_) / 2;
        }
        if (!stretch_.Prepare(kPictureWidth, kPictureHeight, placedWidth_, placedHeight_)) {
            windowSurface_ = nullptr;
            return false;
        }
    }
    if (SDL_MUSTLOCK(windowSurface_) && SDL_LockSurface(windowSurface_) != 0) return false;
    auto* const pixels = static_cast<std::uint8_t*>(windowSurface_->pixels);
    if (wholeWindow) {
        for (int y = 0; y < windowSurface_->h; ++y) {
            auto* row = reinterpret_cast<Uint32*>(pixels + static_cast<std::ptrdiff_t>(y) * windowSurface_->pitch);
            std::fill(row, row + windowSurface_->w, 0xff000000u);
        }
    }
    const LinearStretch::Rows band =
        wholeWindow ? LinearStretch::Rows{0, placedHeight_} : stretch_.RowsReading(rows.top, rows.bottom);
    SDL_Surface* picture = canvas_.Surface();
    stretch_.Run(picture->pixels, picture->pitch,
                 pixels + static_cast<std::ptrdiff_t>(placedY_) * windowSurface_->pitch + placedX_ * 4,
                 windowSurface_->pitch, band);
    if (SDL_MUSTLOCK(windowSurface_)) SDL_UnlockSurface(windowSurface_);
    const SDL_Rect sent{placedX_, placedY_ + band.first, placedWidth_, band.last - band.first};
    const bool watched =
        !watchSends_ || (wholeWindow ? watchSends_(0, windowSurface_->h) : watchSends_(sent.y, sent.y + sent.h));
    const bool reached = watched && (wholeWindow ? SDL_UpdateWindowSurface(window_) == 0
                                                 : sent.h <= 0 || SDL_UpdateWindowSurfaceRects(window_, &sent, 1) == 0);
    if (!reached) windowSurface_ = nullptr;  // taken afresh, and the window sent whole
    return reached;
}

bool SdlDisplay::Show() {
    if (!attached_) return false;
    SDL_Surface* picture = canvas_.Surface();
    bool reached = false;
    shown_.Send(picture->pixels, picture->pitch, kPictureWidth, kPictureHeight,
                [&](ShownPicture::Rows rows, bool wholeWindow) {
                    reached = stretching_ ? Stretch(rows, wholeWindow) : Upload(rows);
                    return reached;
                });
    if (reached) ++presents_;
    return reached;
}

void SdlDisplay::Flip(std::uint32_t pauseMs) {
    Show();
    WaitForTick(pauseMs);
}

void SdlDisplay::WaitForTick(std::uint32_t pauseMs) {
    const double now = clockMs_ ? clockMs_() : MonotonicMs();
    // Whole milliseconds: the ticks keep their own times, so a sleep a little
    // long or short is made up by the next one.
    const auto delay = static_cast<Uint32>(std::lround(pacer_.DelayMs(now, pauseMs)));
    if (wait_) {
        wait_(delay);
    } else {
        SDL_Delay(delay);
    }
}

bool SdlDisplay::SetWindowSize(int width, int height) {
    if (!window_ || width <= 0 || height <= 0) return false;
    SDL_SetWindowFullscreen(window_, 0);
    SDL_SetWindowSize(window_, width, height);
    int w = 0, h = 0;
    SDL_GetWindowSize(window_, &w, &h);
    shown_.WindowChanged();
    return w == width && h == height;
}

bool SdlDisplay::CaptureWindow(std::vector<std::uint8_t>& rgb, int& width, int& height) {
    if (stretching_) {
        Show();
        if (!windowSurface_) return false;
        width = windowSurface_->w;
        height = windowSurface_->h;
        rgb.resize(static_cast<std::size_t>(width) * height * 3);
        return SDL_ConvertPixels(width, height, windowSurface_->format->format, windowSurface_->pixels,
                                 windowSurface_->pitch, SDL_PIXELFORMAT_RGB24, rgb.data(), width * 3) == 0;
    }
    if (!renderer_ || !texture_) return false;
    if (attached_) Show();
    Present();
    SDL_RenderSetLogicalSize(renderer_, 0, 0);  // read the whole window, not just the picture
    bool read = SDL_GetRendererOutputSize(renderer_, &width, &height) == 0 && width > 0 && height > 0;
    if (read) {
        rgb.resize(static_cast<std::size_t>(width) * height * 3);
        read = SDL_RenderReadPixels(renderer_, nullptr, SDL_PIXELFORMAT_RGB24, rgb.data(), width * 3) == 0;
    }
    SDL_RenderSetLogicalSize(renderer_, kPictureWidth, kPictureHeight);
    return read;
}

void SdlDisplay::HideCursor() {
    if (video_) SDL_ShowCursor(SDL_DISABLE);
}

void SdlDisplay::RestoreCursor() {
    if (video_) SDL_ShowCursor(SDL_ENABLE);
}

// ---- application ----

SdlApplication::SdlApplication() : events_(SDL_InitSubSystem(SDL_INIT_EVENTS) == 0) {}

SdlApplication::~SdlApplication() {
    if (events_) SDL_QuitSubSystem(SDL_INIT_EVENTS);
}

void SdlApplication::Run(const KeyHandler& onKeyDown, const IdleHandler& onIdle) {
    while (!closing_) {
        SDL_Event event;
        while (!closing_ && SDL_PollEvent(&event)) {
            if (event.type == SDL_QUIT ||
                (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE)) {
                Close();
            } else if (event.type == SDL_KEYDOWN) {
                // Held keys repeat as they do on Windows, so repeats are dispatched too.
                const std::uint8_t key = VirtualKeyOfScancode(event.key.keysym.scancode);
                if (key && onKeyDown) onKeyDown(key);
            }
        }
        if (closing_) break;
        if (onIdle) onIdle();
    }
}

void SdlApplication::Close() {
    if (closing_) return;
    closing_ = true;
    if (onClose_) onClose_();
}

// ---- input ----

void SdlKeyboard::ReadState(std::uint8_t (&keys)[256]) {
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    FillVirtualKeyState(state, count, keys);
}

SdlJoysticks::SdlJoysticks() : subsystem_(SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0) {}

SdlJoysticks::~SdlJoysticks() {
    for (SDL_Joystick* stick : sticks_) {
        if (stick) SDL_JoystickClose(stick);
    }
    if (subsystem_) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

SDL_Joystick* SdlJoysticks::Open(int id) {
    if (!subsystem_ || id < 0 || id >= static_cast<int>(sticks_.size())) return nullptr;
    SDL_Joystick*& stick = sticks_[id];
    if (stick && !SDL_JoystickGetAttached(stick)) {
        SDL_JoystickClose(stick);
        stick = nullptr;
    }
    if (!stick && id < SDL_NumJoysticks()) stick = SDL_JoystickOpen(id);
    return stick;
}

bool SdlJoysticks::ReadPosition(int id, JoystickPosition& position) {
    SDL_Joystick* stick = Open(id);
    if (!stick) return false;
    const int axes = SDL_JoystickNumAxes(stick);
    position.x = JoystickAxisPosition(axes > 0 ? SDL_JoystickGetAxis(stick, 0) : 0);
    position.y = JoystickAxisPosition(axes > 1 ? SDL_JoystickGetAxis(stick, 1) : 0);
    if (SDL_JoystickNumHats(stick) > 0) {  // a pad's cross steers like the stick
        const Uint8 hat = SDL_JoystickGetHat(stick, 0);
        if (hat & SDL_HAT_LEFT) position.x = 0;
        if (hat & SDL_HAT_RIGHT) position.x = 65535;
        if (hat & SDL_HAT_UP) position.y = 0;
        if (hat & SDL_HAT_DOWN) position.y = 65535;
    }
    position.buttons = 0;
    const int buttons = std::min(SDL_JoystickNumButtons(stick), 32);
    for (int n = 0; n < buttons; ++n) {
        if (SDL_JoystickGetButton(stick, n)) position.buttons |= 1u << n;
    }
    return true;
}

bool SdlJoysticks::ReadCaps(int id, JoystickCaps& caps) {
    SDL_Joystick* stick = Open(id);
    if (!stick) return false;
    caps = JoystickCaps{0, 65535, 0, 65535, static_cast<std::uint32_t>(std::max(SDL_JoystickNumButtons(stick), 0))};
    return true;
}

std::unique_ptr<SdlVideo> MakeSdlVideo() { return std::make_unique<SdlVideo>(); }

}  // namespace platform
