#pragma once
// Images from files, and captures of surfaces.
#include <string>

#include "engine/platform/pixels/surface.h"

namespace qt::platform {

// Loads a BMP file (any variant decodeBmp reads, see bmp_decoder.h) at its own size.
// `diskPath` is a path as the file system spells it. Returns false for a
// missing, truncated, corrupt or unallocatable image; `out` is then empty.
bool loadBmp(const std::string& diskPath, Surface& out);

// Loads a PNG or a BMP file, told apart by the PNG signature at the start of
// the file, never by its name. PNG pixels less than half opaque take
// `transparentAs` (see decodePng in png_decoder.h); a BMP loads as loadBmp
// loads it. Same results as loadBmp.
bool loadImage(const std::string& diskPath, Surface& out, ColorRef transparentAs = 0);

// Saves the surface as a PNG file (red, green and blue; the fourth byte is
// left out). Returns false on any failure.
bool savePng(const Surface& surface, const std::string& diskPath);

}  // namespace qt::platform
