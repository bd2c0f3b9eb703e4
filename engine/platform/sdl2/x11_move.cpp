#include "engine/platform/sdl2/x11_move.h"

#include <SDL.h>
#include <SDL_syswm.h>

namespace qt::platform {

bool startWindowMove(SDL_Window* window, int rootX, int rootY) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window == nullptr || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    Display* display = info.info.x11.display;
    const ::Window xwindow = info.info.x11.window;
    // The press's implicit grab would keep the pointer from the manager.
    XUngrabPointer(display, CurrentTime);
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = xwindow;
    e.xclient.message_type = XInternAtom(display, "_NET_WM_MOVERESIZE", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = rootX;
    e.xclient.data.l[1] = rootY;
    e.xclient.data.l[2] = 8;  // _NET_WM_MOVERESIZE_MOVE
    e.xclient.data.l[3] = Button1;
    e.xclient.data.l[4] = 1;  // a normal application
    XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    XFlush(display);
    return true;
}

}  // namespace qt::platform
