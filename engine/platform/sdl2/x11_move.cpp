#include "engine/platform/sdl2/x11_move.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <dlfcn.h>

namespace qt::platform {

namespace {

struct Xlib {
    decltype(&XUngrabPointer) ungrabPointer = nullptr;
    decltype(&XInternAtom) internAtom = nullptr;
    decltype(&XSendEvent) sendEvent = nullptr;
    decltype(&XFlush) flush = nullptr;
};

#ifdef QT_X11_AT_RUN_TIME
// The player links no X11: the calls go into the libX11 SDL opened for the
// window (there is an X11 window, so it is loaded).
const Xlib& xlib() {
    static const Xlib x = [] {
        Xlib found;
        if (void* lib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_GLOBAL)) {
            found.ungrabPointer = reinterpret_cast<decltype(&XUngrabPointer)>(dlsym(lib, "XUngrabPointer"));
            found.internAtom = reinterpret_cast<decltype(&XInternAtom)>(dlsym(lib, "XInternAtom"));
            found.sendEvent = reinterpret_cast<decltype(&XSendEvent)>(dlsym(lib, "XSendEvent"));
            found.flush = reinterpret_cast<decltype(&XFlush)>(dlsym(lib, "XFlush"));
        }
        return found;
    }();
    return x;
}
#else
const Xlib& xlib() {
    static const Xlib x{&XUngrabPointer, &XInternAtom, &XSendEvent, &XFlush};
    return x;
}
#endif

}  // namespace

bool startWindowMove(SDL_Window* window, int rootX, int rootY) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window == nullptr || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    const Xlib& x = xlib();
    if (!x.ungrabPointer || !x.internAtom || !x.sendEvent || !x.flush) return false;
    Display* display = info.info.x11.display;
    const ::Window xwindow = info.info.x11.window;
    // The press's implicit grab would keep the pointer from the manager.
    x.ungrabPointer(display, CurrentTime);
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = xwindow;
    e.xclient.message_type = x.internAtom(display, "_NET_WM_MOVERESIZE", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = rootX;
    e.xclient.data.l[1] = rootY;
    e.xclient.data.l[2] = 8;  // _NET_WM_MOVERESIZE_MOVE
    e.xclient.data.l[3] = Button1;
    e.xclient.data.l[4] = 1;  // a normal application
    x.sendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    x.flush(display);
    return true;
}

}  // namespace qt::platform
