#pragma once
// PNG pictures from the bytes of a file, through libpng.
#include <cstdint>
#include <span>

#include "engine/platform/pixels/surface.h"

namespace qt::platform {

// True when the bytes begin with the PNG signature.
bool isPng(std::span<const uint8_t> file);

// Decodes a whole PNG file at its own size: every colour type and bit depth,
// palettes with tRNS, interlaced or not. Samples are taken as stored (no
// gamma correction); 16-bit samples are scaled to 8 bits with rounding.
// A pixel whose alpha is below one half (8-bit alpha 0 to 127, 16-bit alpha
// below 32768) becomes `transparentAs`; every other pixel keeps its colour.
// The fourth byte is 0. Returns false for a truncated, corrupt or vast
// picture; `out` is then left in an unspecified state.
bool decodePng(std::span<const uint8_t> file, Surface& out, ColorRef transparentAs);

}  // namespace qt::platform
