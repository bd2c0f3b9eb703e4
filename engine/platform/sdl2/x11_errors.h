#pragma once
// Errors of the X window system that must not end the engine.
#include <string>

namespace qt::platform {

// SDL wakes its own event wait by sending a message to the window over a
// second connection. When the engine closes the window right after such a
// wake-up, the server may take the close first and answer the message with
// BadWindow, which Xlib's default handler turns into exit code 1 (read at the
// latest when SDL shuts its connections). Those errors are passed over; every
// other error goes to the handler that was there before. Call before SDL
// starts its video; calling again does nothing.
void passOverMessagesToClosedWindows();

// The X libraries SDL needs for a window that this machine cannot load,
// comma-separated; empty when all are there.
std::string missingX11Libraries();

}  // namespace qt::platform
