#include "engine/core/window_geometry.h"

namespace qt::engine {

namespace {

int32_t half(int64_t v) { return static_cast<int32_t>(v >> 1); }

}  // namespace

platform::WindowSpec windowSpecFor(const platform::DisplayMetrics& display, int32_t windowWidth, int32_t windowHeight,
                                   int32_t widthP, int32_t heightP, const std::string& titleCp932) {
    platform::WindowSpec shape;
    shape.titleCp932 = titleCp932;
    shape.left = half(static_cast<int64_t>(display.screenWidth) - windowWidth);
    shape.top = half((static_cast<int64_t>(display.screenHeight) - windowHeight) - (display.captionHeight >> 1));
    shape.clientWidth = static_cast<int32_t>(static_cast<int64_t>(windowWidth) + widthP);
    shape.clientHeight = static_cast<int32_t>(static_cast<int64_t>(windowHeight) + heightP);
    shape.pictureWidth = windowWidth;
    shape.pictureHeight = windowHeight;
    return shape;
}

}  // namespace qt::engine
