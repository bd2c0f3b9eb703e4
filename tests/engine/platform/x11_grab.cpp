#include "x11_grab.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace qt::platform::test {

bool grabScreen(const std::string& display, int x, int y, int w, int h, Surface& out) {
    Display* d = XOpenDisplay(display.c_str());
    if (!d) return false;
    bool ok = false;
    XImage* image = XGetImage(d, DefaultRootWindow(d), x, y, static_cast<unsigned>(w), static_cast<unsigned>(h),
                              AllPlanes, ZPixmap);
    if (image && out.create(w, h, 0)) {
        for (int row = 0; row < h; ++row)
            for (int col = 0; col < w; ++col) {
                const unsigned long p = XGetPixel(image, col, row);
                out.setPixel(col, row, rgb(static_cast<uint8_t>((p >> 16) & 0xFF), static_cast<uint8_t>((p >> 8) & 0xFF),
                                           static_cast<uint8_t>(p & 0xFF)));
            }
        ok = true;
    }
    if (image) XDestroyImage(image);
    XCloseDisplay(d);
    return ok;
}

}  // namespace qt::platform::test
