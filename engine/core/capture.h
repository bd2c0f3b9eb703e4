#pragma once
// Pictures of the window saved as PNG files for authors and tests.
namespace qt::engine {

struct Engine;

// Saves "wait-NNNN.png" for the current wait when it has not been saved yet.
void captureWaitIfDue(Engine& engine);
// Saves "end.png".
void captureEnd(Engine& engine);

}  // namespace qt::engine
