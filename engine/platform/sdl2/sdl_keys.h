#pragma once
// SDL key codes to the Windows virtual-key numbers the engine uses.
#include <cstdint>

namespace qt::platform {

// 0 for a key the engine has no number for. Both Enter keys give 0x0D;
// the keypad's comma (SDL's KP_COMMA, the separator key of Brazilian and
// Japanese keypads) and SDL's SEPARATOR give VK_SEPARATOR 0x6C; the keypad's
// decimal point gives VK_DECIMAL 0x6E, as on Windows.
uint32_t virtualKey(int32_t sdlKeycode);

}  // namespace qt::platform
