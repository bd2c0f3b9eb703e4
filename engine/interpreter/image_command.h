#pragma once
// The image command e: a BMP or PNG file drawn onto the current virtual screen.
#include <cstdint>

namespace qt::engine {

struct Engine;
class Interpreter;

// Takes its size forms and counts from the gathered arguments.
void imageCommand(Interpreter& interpreter);

// Result 0 when the image was loaded, -1 (after its report) when not.
int drawImageFile(Engine& engine, const char* path, int32_t x, int32_t y, int32_t width, int32_t height, int32_t srcX,
                  int32_t srcY, int32_t srcWidth, int32_t srcHeight, int32_t transparency, bool widthPercent,
                  bool heightPercent);

}  // namespace qt::engine
