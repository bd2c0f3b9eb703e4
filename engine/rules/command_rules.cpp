#include "engine/rules/command_rules.h"

#include <optional>
#include <string>

#include "common/paths.h"
#include "common/sjis.h"
#include "engine/platform/pixels/image.h"

namespace qt::engine {

bool imageCountAccepted(int32_t count) {
    switch (count) {
        case 1:
        case 3:
        case 5:
        case 6:
        case 8:
        case 10: return true;
        default: return false;
    }
}

SoundTarget soundTarget(const char* slot0) {
    if (slot0[0] != ':') return SoundTarget::file;
    if (sameText(slot0 + 1, "stop") == 0) return SoundTarget::stop;
    if (sameText(slot0 + 1, "play") == 0) return SoundTarget::play;
    return SoundTarget::badControl;
}

bool loadImageFile(const char* cp932Path, platform::Surface& out, platform::ColorRef clearColor) {
    const std::optional<std::string> disk = resolveExisting(cp932Path);
    return disk && platform::loadImage(*disk, out, clearColor);
}

bool openSoundFile(platform::SoundChannel& channel, const char* cp932Path) {
    const std::optional<std::string> disk = resolveExisting(cp932Path);
    return disk && channel.open(*disk);
}

bool nextTargetExists(const char* cp932Path) { return pathExists(cp932Path); }

}  // namespace qt::engine
