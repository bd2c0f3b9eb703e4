#pragma once
// What each command accepts, and how it finds and opens its files: the
// engine's handlers decide by these, and qPre --check asks the same.
#include <cstdint>

#include "engine/platform/pixels/surface.h"
#include "engine/platform/sound.h"

namespace qt::engine {

// e: 1, 3, 5 or 6 arguments, and 8 or 10 with a source rectangle.
bool imageCountAccepted(int32_t count);
// iro: exactly one.
inline bool iroCountAccepted(int32_t count) { return count == 1; }

// bgm and se: slot 0 is a control word after ":" or a file.
enum class SoundTarget : uint8_t { stop, play, badControl, file };
SoundTarget soundTarget(const char* slot0);

// The image file named in a scenario (CP932, from the engine's folder),
// loaded into `out` as the e command loads it. PNG pixels less than half
// opaque take `clearColor`.
bool loadImageFile(const char* cp932Path, platform::Surface& out, platform::ColorRef clearColor);
// The sound file named in a scenario, opened on `channel`.
bool openSoundFile(platform::SoundChannel& channel, const char* cp932Path);
// What next switches to: an existing file or folder.
bool nextTargetExists(const char* cp932Path);

}  // namespace qt::engine
