#pragma once
// BMP pictures from the bytes of a file.
#include <cstdint>
#include <span>

#include "engine/platform/pixels/surface.h"

namespace qt::platform {

// Decodes a whole BMP file at its own size: 1, 4 and 8-bit palettes, 8 and
// 4-bit run-length, 16, 24 and 32 bits with or without bit fields, the
// old core header, either row order. Returns false for a truncated, corrupt
// or vast picture, or a kind of BMP the engine has never shown; `out` is
// then left in an unspecified state.
bool decodeBmp(std::span<const uint8_t> file, Surface& out);

}  // namespace qt::platform
