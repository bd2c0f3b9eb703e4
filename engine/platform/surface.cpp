#include "engine/platform/surface.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace qt::platform {

namespace {

// Memory layout of a pixel read as a little-endian word: 0xXXRRGGBB.
uint32_t toWord(ColorRef c) {
    return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

ColorRef fromWord(uint32_t w) {
    return ((w >> 16) & 0xFFu) | (w & 0xFF00u) | ((w & 0xFFu) << 16);
}

uint32_t load(const uint8_t* p) {
    uint32_t w;
    std::memcpy(&w, p, 4);
    return w;
}

void store(uint8_t* p, uint32_t w) { std::memcpy(p, &w, 4); }

// One axis of a scaled copy: which target positions are drawn and from which
// source position each one is taken. Only positions inside both surfaces
// are listed; they form one run because the mapping is monotonic.
struct AxisMap {
    int firstTarget = 0;
    std::vector<int> source;  // source position for targets firstTarget...
};

AxisMap mapAxis(int d, int dn, int dstSize, int s, int sn, int srcSize) {
    AxisMap m;
    bool mirror = false;
    int64_t dStart = d, dLen = dn, sStart = s, sLen = sn;
    if (dLen < 0) {
        dStart += dLen;
        dLen = -dLen;
        mirror = !mirror;
    }
    if (sLen < 0) {
        sStart += sLen;
        sLen = -sLen;
        mirror = !mirror;
    }
    if (dLen == 0 || sLen == 0) return m;
    const int64_t from = std::max<int64_t>(0, -dStart);
    const int64_t to = std::min<int64_t>(dLen, int64_t{dstSize} - dStart);
    bool started = false;
    for (int64_t i = from; i < to; ++i) {
        int64_t j = i * sLen / dLen;
        if (mirror) j = sLen - 1 - j;
        const int64_t sp = sStart + j;
        if (sp < 0 || sp >= srcSize) {
            if (started) break;
            continue;
        }
        if (!started) {
            m.firstTarget = static_cast<int>(dStart + i);
            started = true;
        }
        m.source.push_back(static_cast<int>(sp));
    }
    return m;
}

template <bool kTransparent>
void scaledCopy(Surface& dst, int dx, int dy, int dw, int dh, const Surface& src, int sx, int sy,
                int sw, int sh, uint32_t key) {
    if (!dst.valid() || !src.valid()) return;
    const AxisMap xs = mapAxis(dx, dw, dst.width(), sx, sw, src.width());
    if (xs.source.empty()) return;
    const AxisMap ys = mapAxis(dy, dh, dst.height(), sy, sh, src.height());
    if (ys.source.empty()) return;

    const size_t n = xs.source.size();
    const size_t dstStride = static_cast<size_t>(dst.width()) * 4;
    const size_t srcStride = static_cast<size_t>(src.width()) * 4;
    // A straight run of columns copies as one block.
    const bool straight = xs.source.back() - xs.source.front() == static_cast<int>(n) - 1 &&
                          (n == 1 || xs.source[1] > xs.source[0]);
    uint8_t* dstBase = dst.bits() + static_cast<size_t>(xs.firstTarget) * 4;
    const uint8_t* srcBase = src.bits();
    int previousRow = -1;
    uint8_t* previousOut = nullptr;
    for (size_t r = 0; r < ys.source.size(); ++r) {
        uint8_t* out = dstBase + static_cast<size_t>(ys.firstTarget + static_cast<int>(r)) * dstStride;
        const int row = ys.source[r];
        if constexpr (!kTransparent) {
            if (row == previousRow) {
                std::memcpy(out, previousOut, n * 4);
                previousOut = out;
                continue;
            }
        }
        const uint8_t* in = srcBase + static_cast<size_t>(row) * srcStride;
        if constexpr (kTransparent) {
            for (size_t i = 0; i < n; ++i) {
                const uint32_t w = load(in + static_cast<size_t>(xs.source[i]) * 4);
                if ((w & 0xFFFFFFu) != key) store(out + i * 4, w);
            }
        } else if (straight) {
            std::memcpy(out, in + static_cast<size_t>(xs.source.front()) * 4, n * 4);
        } else {
            const int* map = xs.source.data();
            for (size_t i = 0; i < n; ++i) store(out + i * 4, load(in + static_cast<size_t>(map[i]) * 4));
        }
        previousRow = row;
        previousOut = out;
    }
}

}  // namespace

bool Surface::create(int width, int height, ColorRef fill) {
    width_ = height_ = 0;
    pixels_.clear();
    pixels_.shrink_to_fit();
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return false;
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    try {
        pixels_.resize(count * 4);
    } catch (const std::bad_alloc&) {
        pixels_.clear();
        return false;
    }
    width_ = width;
    height_ = height;
    const uint32_t w = toWord(fill);
    uint8_t* p = pixels_.data();
    for (size_t i = 0; i < count; ++i) store(p + i * 4, w);
    return true;
}

ColorRef Surface::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    return fromWord(load(pixels_.data() + (static_cast<size_t>(y) * width_ + x) * 4));
}

uint8_t Surface::fourth(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    return pixels_[(static_cast<size_t>(y) * width_ + x) * 4 + 3];
}

void Surface::setPixel(int x, int y, ColorRef color) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    store(pixels_.data() + (static_cast<size_t>(y) * width_ + x) * 4, toWord(color));
}

void fillRect(Surface& dst, int x, int y, int w, int h, ColorRef color) {
    if (!dst.valid() || w <= 0 || h <= 0) return;
    const int64_t x0 = std::max<int64_t>(x, 0), y0 = std::max<int64_t>(y, 0);
    const int64_t x1 = std::min<int64_t>(int64_t{x} + w, dst.width());
    const int64_t y1 = std::min<int64_t>(int64_t{y} + h, dst.height());
    if (x0 >= x1 || y0 >= y1) return;
    const uint32_t word = toWord(color);
    const size_t stride = static_cast<size_t>(dst.width()) * 4;
    for (int64_t row = y0; row < y1; ++row) {
        uint8_t* p = dst.bits() + static_cast<size_t>(row) * stride + static_cast<size_t>(x0) * 4;
        for (int64_t col = x0; col < x1; ++col, p += 4) store(p, word);
    }
}

void copyBlock(Surface& dst, int dx, int dy, int w, int h, const Surface& src, int sx, int sy) {
    if (!dst.valid() || !src.valid() || w <= 0 || h <= 0) return;
    int64_t x0 = dx, y0 = dy, s0 = sx, t0 = sy, cw = w, ch = h;
    // Clip the block against both surfaces at once.
    const int64_t leftCut = std::max<int64_t>({0, -x0, -s0});
    x0 += leftCut, s0 += leftCut, cw -= leftCut;
    const int64_t topCut = std::max<int64_t>({0, -y0, -t0});
    y0 += topCut, t0 += topCut, ch -= topCut;
    cw = std::min<int64_t>({cw, dst.width() - x0, src.width() - s0});
    ch = std::min<int64_t>({ch, dst.height() - y0, src.height() - t0});
    if (cw <= 0 || ch <= 0) return;
    const size_t dstStride = static_cast<size_t>(dst.width()) * 4;
    const size_t srcStride = static_cast<size_t>(src.width()) * 4;
    const bool sameRows = &dst == &src && y0 > t0;
    for (int64_t r = 0; r < ch; ++r) {
        // Overlapping copies within one surface go bottom-up when moving down.
        const int64_t i = sameRows ? ch - 1 - r : r;
        uint8_t* out = dst.bits() + static_cast<size_t>(y0 + i) * dstStride + static_cast<size_t>(x0) * 4;
        const uint8_t* in = src.bits() + static_cast<size_t>(t0 + i) * srcStride + static_cast<size_t>(s0) * 4;
        std::memmove(out, in, static_cast<size_t>(cw) * 4);
    }
}

void stretchCopy(Surface& dst, int dx, int dy, int dw, int dh, const Surface& src, int sx, int sy,
                 int sw, int sh) {
    if (&dst == &src) {
        // Reading the pixels being overwritten would smear the picture.
        Surface copy = src;
        scaledCopy<false>(dst, dx, dy, dw, dh, copy, sx, sy, sw, sh, 0);
        return;
    }
    scaledCopy<false>(dst, dx, dy, dw, dh, src, sx, sy, sw, sh, 0);
}

void transparentCopy(Surface& dst, int dx, int dy, int dw, int dh, const Surface& src, int sx, int sy,
                     int sw, int sh, ColorRef transparent) {
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
    if (&dst == &src) {
        Surface copy = src;
        scaledCopy<true>(dst, dx, dy, dw, dh, copy, sx, sy, sw, sh, toWord(transparent) & 0xFFFFFFu);
        return;
    }
    scaledCopy<true>(dst, dx, dy, dw, dh, src, sx, sy, sw, sh, toWord(transparent) & 0xFFFFFFu);
}

}  // namespace qt::platform
