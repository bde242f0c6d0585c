// Whether GL would run on the processor, found out before any GL is loaded:
// a GL context on a software rasteriser loads a whole driver and its threads
// for a picture SDL's own surfaces show more cheaply.
#pragma once

#include <functional>

namespace platform {

// Whether a GL renderer string names a rasteriser that runs on the processor.
bool IsSoftwareRasteriser(const char* glRenderer);

// Whether an X server that `offers` these extensions leaves Mesa its
// software rasteriser alone: none that renders directly (DRI3, DRI2 or
// NVIDIA's GLX) among them.
bool RendersIndirectly(const std::function<bool(const char* extension)>& offers);

// True when GL on SDL's video driver `driver` is sure to be a software
// rasteriser: Mesa told so, or an X server that offers no direct rendering
// (no DRI3, DRI2 or NVIDIA's GLX), as a virtual one does. False when unsure.
bool GlRunsOnProcessor(const char* driver);

}  // namespace platform
