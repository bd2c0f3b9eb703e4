#pragma once
// Handing a window to the window manager to be moved with the pointer.
struct SDL_Window;

namespace qt::platform {

// Asks the window manager to move `window` with the pointer while the left
// button stays down, as a press at (rootX, rootY) on its caption would: the
// window catches up with the pointer's way from there. False when the window
// is not an X11 one.
bool startWindowMove(SDL_Window* window, int rootX, int rootY);

}  // namespace qt::platform
