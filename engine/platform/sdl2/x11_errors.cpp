#include "engine/platform/sdl2/x11_errors.h"

#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <dlfcn.h>

namespace qt::platform {

namespace {

XErrorHandler previous = nullptr;

int onError(Display* display, XErrorEvent* error) {
    if (error->error_code == BadWindow && error->request_code == X_SendEvent) return 0;
    return previous != nullptr ? previous(display, error) : 0;
}

using SetErrorHandler = XErrorHandler (*)(XErrorHandler);

#ifdef QT_X11_AT_RUN_TIME
// The player links no X11: SDL opens libX11 when there is a display, and the
// handler goes into that same library.
SetErrorHandler setErrorHandler() {
    void* lib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_GLOBAL);
    return lib ? reinterpret_cast<SetErrorHandler>(dlsym(lib, "XSetErrorHandler")) : nullptr;
}
#else
SetErrorHandler setErrorHandler() { return &XSetErrorHandler; }
#endif

}  // namespace

void passOverMessagesToClosedWindows() {
    if (previous != nullptr) return;
    if (const SetErrorHandler set = setErrorHandler()) previous = set(onError);
}

std::string missingX11Libraries() {
    std::string missing;
    for (const char* name : {"libX11.so.6", "libXext.so.6"}) {
        if (void* lib = dlopen(name, RTLD_LAZY | RTLD_NOLOAD)) {
            dlclose(lib);
            continue;
        }
        if (void* lib = dlopen(name, RTLD_LAZY)) {
            dlclose(lib);
            continue;
        }
        missing += missing.empty() ? name : std::string(", ") + name;
    }
    return missing;
}

}  // namespace qt::platform
