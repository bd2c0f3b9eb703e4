#pragma once
// Faces installed on the machine, found through fontconfig with the face
// map's rules on top of the system's configuration.
#include <string>

#include "engine/platform/freetype/face_choice.h"

namespace qt::platform {

// The face named, or a Japanese face in fontconfig's order of preference
// when the one found cannot show Japanese text (as Windows picks another
// face for the Shift-JIS character set).
bool chooseSystemFace(const std::string& familyUtf8, bool bold, bool italic, bool monospace, FaceChoice& out);

}  // namespace qt::platform
