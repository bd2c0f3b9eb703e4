#include "engine/platform/sdl2/x11_errors.h"

#include <X11/Xlib.h>
#include <X11/Xproto.h>

namespace qt::platform {

namespace {

XErrorHandler previous = nullptr;

int onError(Display* display, XErrorEvent* error) {
    if (error->error_code == BadWindow && error->request_code == X_SendEvent) return 0;
    return previous != nullptr ? previous(display, error) : 0;
}

}  // namespace

void passOverMessagesToClosedWindows() {
    if (previous == nullptr) previous = XSetErrorHandler(onError);
}

}  // namespace qt::platform
