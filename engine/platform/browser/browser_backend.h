#pragma once
// The backend in a web page (Emscripten): the page's canvas is the window,
// at the size of the client area; the page scales it to fit. Waiting yields
// to the browser (the build uses asyncify), so the page stays responsive and
// idle at a key wait. The window has the focus while the page has it.
// Keys come as on the desktop; a click or tap that does not move passes a
// key wait as Space does. Message boxes are shown over the picture and
// written to the console. page.js is the page's side.
#include <memory>

#include "engine/platform/backend.h"

namespace qt::platform {

std::unique_ptr<Backend> createBrowserBackend();

// The game has ended (not for a restart): the page says so with a button
// to play again, and this returns once it is pressed.
void browserWaitForPlayAgain();

}  // namespace qt::platform
