#include "GlProbe.h"

#include <X11/Xlib.h>

#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <strings.h>

namespace platform {

bool IsSoftwareRasteriser(const char* glRenderer) {
    if (!glRenderer) return false;
    for (const char* name : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer"}) {
        if (std::strstr(glRenderer, name)) return true;
    }
    return false;
}

namespace {

bool Set(const char* variable) {
    const char* value = std::getenv(variable);
    return value && *value && std::strcmp(value, "0") != 0 && strcasecmp(value, "false") != 0;
}

// An X server that gives no direct rendering leaves Mesa its software
// rasteriser alone; one with DRI or NVIDIA's own GLX has a GPU behind it.
bool XServerRendersIndirectly() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    bool direct = false;
    for (const char* extension : {"DRI3", "DRI2", "NV-GLX"}) {
        int opcode = 0, event = 0, error = 0;
        direct = direct || XQueryExtension(display, extension, &opcode, &event, &error);
    }
    XCloseDisplay(display);
    return !direct;
}

}  // namespace

bool GlRunsOnProcessor(const char* driver) {
    if (Set("LIBGL_ALWAYS_SOFTWARE")) return true;
    if (const char* gallium = std::getenv("GALLIUM_DRIVER"); gallium && IsSoftwareRasteriser(gallium)) return true;
    return driver && strcasecmp(driver, "x11") == 0 && XServerRendersIndirectly();
}

}  // namespace platform
