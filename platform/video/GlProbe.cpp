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

// One with DRI or NVIDIA's own GLX has a GPU behind it.
bool RendersIndirectly(const std::function<bool(const char* extension)>& offers) {
    bool direct = false;
    for (const char* extension : {"DRI3", "DRI2", "NV-GLX"}) direct = direct || offers(extension);
    return !direct;
}

namespace {

bool Set(const char* variable) {
    const char* value = std::getenv(variable);
    return value && *value && std::strcmp(value, "0") != 0 && strcasecmp(value, "false") != 0;
}

bool XServerRendersIndirectly() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;  // unsure
    const bool indirect = RendersIndirectly([display](const char* extension) {
        int opcode = 0, event = 0, error = 0;
        return XQueryExtension(display, extension, &opcode, &event, &error) != 0;
    });
    XCloseDisplay(display);
    return indirect;
}

}  // namespace

bool GlRunsOnProcessor(const char* driver) {
    if (Set("LIBGL_ALWAYS_SOFTWARE")) return true;
    if (const char* gallium = std::getenv("GALLIUM_DRIVER"); gallium && IsSoftwareRasteriser(gallium)) return true;
    return driver && strcasecmp(driver, "x11") == 0 && XServerRendersIndirectly();
}

}  // namespace platform
