#pragma once
// Text drawn with FreeType glyphs; faces found through fontconfig (with the
// project's own mapping of the usual Windows Japanese face names).
#include <memory>

#include "engine/platform/text.h"

namespace qt::platform {

std::unique_ptr<Text> createFreeTypeText();

}  // namespace qt::platform
