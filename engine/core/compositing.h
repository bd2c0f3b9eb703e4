#pragma once
// Composing the layers into the window's picture.
#include <cstdint>

namespace qt::engine {

struct Engine;

// Background (1) and foreground (2, clear colour transparent) onto the
// presentation screen: `throughComposition` composes at screen size on
// screen -1 (darkened behind the text) and stretches that; otherwise both
// layers are stretched straight onto the presentation screen. The window
// is invalidated.
void allblt(Engine& engine, bool throughComposition);

// Shifts each colour byte of the rectangle (inclusive corners) on the
// composition screen right by shift % 32 and clears the fourth byte. A
// rectangle outside the screen or with swapped corners is reported.
void darkHonbun(Engine& engine, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t shift);

// Stretches the composition screen onto the presentation screen.
void restorePresentation(Engine& engine);

// Paints the window now (the paint handler runs before this returns).
void repaintWindow(Engine& engine);

// The paint handler: the presentation screen at the client area's top left,
// or enlarged as the layout says; `whole` shows all of it, otherwise only
// what changed since the last paint.
void paintWindow(Engine& engine, bool whole = true);

}  // namespace qt::engine
