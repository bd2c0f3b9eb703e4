// Where the picture goes in a drawable area of any size.
#include "engine/core/output_layout.h"

#include <gtest/gtest.h>

namespace qt::engine {
namespace {

TEST(OutputLayout, ModesPlaceAndScaleThePicture) {
    // clang-format off
    const struct { int mode, ww, wh, dw, dh; OutputLayout expected; } cases[] = {
        // mode  window    drawable     output        picture x, y, w, h     scale
        {0, 640, 480, 3840, 2160, {0, 640, 480, 0, 0, 640, 480, 1, 1}},
        {1, 640, 480, 640, 480, {1, 640, 480, 0, 0, 640, 480, 1, 1}},
        {1, 640, 480, 1280, 960, {1, 1280, 960, 0, 0, 1280, 960, 2, 1}},
        {1, 640, 480, 1920, 1080, {1, 1920, 1080, 240, 0, 1440, 1080, 9, 4}},
        {1, 640, 480, 3840, 2160, {1, 3840, 2160, 480, 0, 2880, 2160, 9, 2}},
        {1, 640, 480, 1000, 1000, {1, 1000, 1000, 0, 125, 1000, 750, 25, 16}},
        {1, 640, 480, 650, 480, {1, 650, 480, 5, 0, 640, 480, 1, 1}},      // the corrections' few pixels
        {1, 640, 480, 320, 200, {1, 320, 200, 27, 0, 266, 200, 5, 12}},     // smaller: shrunk
        {1, 800, 600, 1366, 768, {1, 1366, 768, 171, 0, 1024, 768, 32, 25}},
        {2, 640, 480, 1000, 700, {2, 1000, 700, 180, 110, 640, 480, 1, 1}},
        {2, 640, 480, 3840, 2160, {2, 3840, 2160, 640, 120, 2560, 1920, 4, 1}},
        {2, 640, 480, 600, 400, {2, 600, 400, 0, 0, 640, 480, 1, 1}},       // larger than the area: top left kept
        {3, 640, 480, 1280, 960, {0, 640, 480, 0, 0, 640, 480, 1, 1}},      // no such mode
        {1, 640, 480, 0, 0, {0, 640, 480, 0, 0, 640, 480, 1, 1}},           // nothing reported yet
        {1, 0, 480, 1280, 960, {0, 0, 480, 0, 0, 0, 480, 1, 1}},
    };
    // clang-format on
    for (const auto& c : cases) {
        const OutputLayout l = layoutFor(c.mode, c.ww, c.wh, c.dw, c.dh);
        EXPECT_EQ(l, c.expected) << c.mode << " " << c.dw << "x" << c.dh << ": " << l.mode << " " << l.outputWidth
                                 << "x" << l.outputHeight << " " << l.x << "," << l.y << " " << l.width << "x"
                                 << l.height << " " << l.num << "/" << l.den;
    }
}

TEST(OutputLayout, ScaledValuesRoundToTheNearestPixelHalvesUp) {
    const OutputLayout l = layoutFor(kScaleFit, 640, 480, 3840, 2160);  // 4.5
    // clang-format off
    const std::pair<int64_t, int64_t> cases[] = {
        {0, 0}, {1, 5}, {3, 14}, {20, 90}, {24, 108}, {-1, -4}, {-3, -13}, {int64_t{1} << 50, (int64_t{1} << 40) * 9 / 2}};
    // clang-format on
    for (const auto& [v, expected] : cases) EXPECT_EQ(l.scaled(v), expected) << v;
}

}  // namespace
}  // namespace qt::engine
