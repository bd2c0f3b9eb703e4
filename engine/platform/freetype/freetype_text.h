#pragma once
// Text drawn with FreeType glyphs. Faces come from `fontsFolder` when it
// holds any (the game's own fonts/, through the face map), otherwise from
// fontconfig with the same map (a build without fontconfig then has none).
#include <memory>
#include <string>

#include "engine/platform/text.h"

namespace qt::platform {

std::unique_ptr<Text> createFreeTypeText(std::string fontsFolder = {});

}  // namespace qt::platform
