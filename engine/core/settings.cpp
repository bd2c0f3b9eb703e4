#include "engine/core/settings.h"

#include "common/ini_file.h"
#include "engine/core/engine.h"

namespace qt::engine {

void readScreenSettings(Engine& engine) {
    const ScreenSizes sizes = readScreenSizes();
    engine.screenWidth = sizes.screenWidth;
    engine.screenHeight = sizes.screenHeight;
    engine.windowWidth = sizes.windowWidth;
    engine.windowHeight = sizes.windowHeight;
    const int32_t mode = readIniInt("screen", "scaleMode", -1, kIniFile);
    engine.scaleMode = mode >= kScaleNone && mode <= kScaleWhole ? mode : -1;
    if (readIniInt("screen", "fullscreen", 0, kIniFile) == 1) engine.fullscreenAsked = true;
}

}  // namespace qt::engine
