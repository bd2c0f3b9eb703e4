#include "engine/core/settings.h"

#include "engine/core/engine.h"

namespace qt::engine {

void readScreenSettings(Engine& engine) {
    const ScreenSizes sizes = readScreenSizes();
    engine.screenWidth = sizes.screenWidth;
    engine.screenHeight = sizes.screenHeight;
    engine.windowWidth = sizes.windowWidth;
    engine.windowHeight = sizes.windowHeight;
}

}  // namespace qt::engine
