#pragma once
// A private X server for tests of the desktop backend: Xvfb on a display
// number it picks itself, ended with the object.
#include <sys/types.h>

#include <string>

#include "engine/platform/surface.h"

namespace qt::platform::test {

class Xvfb {
public:
    Xvfb();
    ~Xvfb();
    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;
    static bool installed();
    // ":N", or empty when the server did not start.
    const std::string& display() const { return display_; }
    // Runs a shell command with DISPLAY set; returns its standard output.
    std::string run(const std::string& command) const;
    // What the server shows in the rectangle of the screen.
    bool grab(int x, int y, int w, int h, Surface& out) const;

private:
    pid_t pid_ = -1;
    std::string display_;
};

}  // namespace qt::platform::test
