#pragma once
// Where the window-size picture goes in the drawable area and how much it is
// enlarged: the scale modes of [screen] scaleMode.
#include <cstdint>

namespace qt::engine {

enum ScaleMode : int32_t { kScaleNone = 0, kScaleFit = 1, kScaleWhole = 2 };

struct OutputLayout {
    int mode = kScaleNone;
    // The client picture: the window size in mode 0, else the drawable area.
    int outputWidth = 640, outputHeight = 480;
    // The enlarged picture inside it.
    int x = 0, y = 0, width = 640, height = 480;
    // Text scale: num / den.
    int64_t num = 1, den = 1;

    bool operator==(const OutputLayout&) const = default;
    // v x scale, to the nearest pixel (halves away from minus infinity).
    int64_t scaled(int64_t v) const;
};

// Mode 0: the picture unscaled at the top left, the backend shows grey
// beyond it. 1: the largest size of the same aspect that fits, centred. 2:
// the largest whole factor that fits (at least 1), centred; a picture larger
// than the drawable area keeps its top left corner. A size that is not
// positive gives mode 0.
OutputLayout layoutFor(int mode, int windowWidth, int windowHeight, int drawableWidth, int drawableHeight);

}  // namespace qt::engine
