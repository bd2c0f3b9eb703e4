#pragma once

#include <string>

namespace qt::platform {

// False for a FLAC file with a frame of fewer channels than its stream
// header says: the mixer's FLAC decoder reads every channel the header
// names from every frame and crashes on the missing ones. True for any
// other file, FLAC or not (the loaders judge those).
bool flacFramesFit(const std::string& path);

}  // namespace qt::platform
