#include "engine/core/output_layout.h"

#include <algorithm>
#include <numeric>

namespace qt::engine {

namespace {

int64_t floorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

}  // namespace

int64_t OutputLayout::scaled(int64_t v) const {
    if (num == den) return v;
    // Far beyond any surface either way; keeps the product in range.
    constexpr int64_t kFar = int64_t{1} << 40;
    v = std::clamp(v, -kFar, kFar);
    return floorDiv(v * num * 2 + den, den * 2);
}

OutputLayout layoutFor(int mode, int windowWidth, int windowHeight, int drawableWidth, int drawableHeight) {
    OutputLayout l;
    l.outputWidth = l.width = windowWidth;
    l.outputHeight = l.height = windowHeight;
    if ((mode != kScaleFit && mode != kScaleWhole) || windowWidth <= 0 || windowHeight <= 0 || drawableWidth <= 0 ||
        drawableHeight <= 0) {
        return l;
    }
    const int64_t ww = windowWidth, wh = windowHeight, dw = drawableWidth, dh = drawableHeight;
    l.mode = mode;
    l.outputWidth = drawableWidth;
    l.outputHeight = drawableHeight;
    if (mode == kScaleFit) {
        if (dw * wh <= dh * ww) {  // the width decides
            l.num = dw, l.den = ww;
        } else {
            l.num = dh, l.den = wh;
        }
    } else {
        l.num = std::max<int64_t>(1, std::min(dw / ww, dh / wh));
        l.den = 1;
    }
    const int64_t g = std::gcd(l.num, l.den);
    l.num /= g, l.den /= g;
    const int64_t w = ww * l.num / l.den, h = wh * l.num / l.den;
    l.width = static_cast<int>(std::max<int64_t>(1, w));
    l.height = static_cast<int>(std::max<int64_t>(1, h));
    l.x = static_cast<int>(std::max<int64_t>(0, (dw - l.width) / 2));
    l.y = static_cast<int>(std::max<int64_t>(0, (dh - l.height) / 2));
    return l;
}

}  // namespace qt::engine
