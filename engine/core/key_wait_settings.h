#pragma once
// The key-wait prompt's settings (section keywait of qRun.ini).
#include <cstdint>

#include "engine/platform/pixels/surface.h"

namespace qt::engine {

struct Engine;

struct KeyWaitSettings {
    char viewstr[8] = "KEYWAIT";  // at most 7 bytes
    int16_t dx = -64, dy = -16;   // from the client area's lower right corner
    uint8_t flashMask = 128;      // low 8 bits of 1 << (period % 32)
    platform::ColorRef onColor = 0x00ffff, offColor = 0x000000;
    // 1: a left click and a wheel step down pass a wait; 2: and a right click
    // ends the engine as Esc does. Anything else: neither.
    int32_t mouseAdvance = 0;
};

// Reads viewstr, viewstrXY_flasher, OnColorOffColor and mouseAdvance. A malformed list is
// reported and false returned (the caller ends the process with code 1).
bool readKeyWaitSettings(Engine& engine);

// The flash mask of a period code.
uint8_t flashMaskOf(int32_t period);

}  // namespace qt::engine
