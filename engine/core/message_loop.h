#pragma once
// The message loop, its idle turns and the window procedure.
#include <cstdint>

#include "engine/core/event_queue.h"

namespace qt::engine {

struct Engine;

// Runs until the quit event; returns its exit code.
int runMessageLoop(Engine& engine);

void windowProcedure(Engine& engine, const Event& event);

// The next tick at which the key-wait prompt would look different: the
// start of the next drawing period, or a change of colour inside this one.
uint32_t promptDeadline(uint32_t now, uint8_t flashMask);

// Message number of a key press as the key wait receives it.
inline constexpr uint32_t kKeyDownMessage = 0x0100;

}  // namespace qt::engine
