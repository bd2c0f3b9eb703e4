#pragma once
// Handing a window to the window manager to be moved with the pointer.
struct SDL_Window;

namespace qt::platform {

// Asks the window manager to move `window` with the pointer while the left
// button stays down, as a press on its caption would. False when the window
// is not an X11 one.
bool startWindowMove(SDL_Window* window);

}  // namespace qt::platform
