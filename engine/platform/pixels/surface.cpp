#include "engine/platform/pixels/surface.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qt::platform {

namespace {

// Memory layout of a pixel read as a little-endian word: 0xXXRRGGBB.
uint32_t toWord(ColorRef c) { return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu); }

ColorRef fromWord(uint32_t w) { return ((w >> 16) & 0xFFu) | (w & 0xFF00u) | ((w & 0xFFu) << 16); }

static_assert(std::endian::native == std::endian::little, "pixel words assume little-endian bytes");

// One axis of a scaled copy: which target positions are drawn and from which
// source position each one is taken. Only positions inside both surfaces
// are listed; they form one run because the mapping is monotonic.
struct AxisMap {
    int firstTarget = 0;
    std::vector<int> source;  // source position for targets firstTarget...
    bool doubled = false;     // source[i] == source[0] + i / 2 (doubling)
    // source[i + period] == source[i] + advance for every i (0: no short period)
    int period = 0, advance = 0;
};

constexpr int kLongestPeriod = 8;

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
    m.doubled = m.source.size() >= 2;
    for (size_t i = 0; i < m.source.size() && m.doubled; ++i)
        m.doubled = m.source[i] == m.source[0] + static_cast<int>(i / 2);
    // Scales such as 2:3 repeat the same pattern of steps.
    const size_t n = m.source.size();
    for (int p = 2; p <= kLongestPeriod && !m.doubled && m.period == 0 && n >= size_t(4 * p); ++p) {
        const int advance = m.source[size_t(p)] - m.source[0];
        bool periodic = advance > 0;
        for (size_t i = 0; i + size_t(p) < n && periodic; ++i)
            periodic = m.source[i + size_t(p)] == m.source[i] + advance;
        if (periodic) {
            m.period = p;
            m.advance = advance;
        }
    }
    return m;
}

uint32_t* words(Surface& s) { return reinterpret_cast<uint32_t*>(s.bits()); }
const uint32_t* words(const Surface& s) { return reinterpret_cast<const uint32_t*>(s.bits()); }

// Copies the pixels of `in` that are not the transparent colour. Written
// without branches so that the compiler can use vector instructions.
#ifdef __x86_64__
#define QT_VECTOR_CLONES [[gnu::target_clones("avx2", "default")]]
#else
#define QT_VECTOR_CLONES
#endif
QT_VECTOR_CLONES void keyedCopy(uint32_t* out, const uint32_t* in, size_t n, uint32_t key) {
    for (size_t i = 0; i < n; ++i) {
        const uint32_t s = in[i];
        out[i] = (s & 0xFFFFFFu) == key ? out[i] : s;
    }
}

// A repeating pattern of P offsets: no table lookup per pixel.
template <int P>
void gatherPeriodic(uint32_t* out, const uint32_t* in, const AxisMap& m) {
    const size_t n = m.source.size();
    int offset[P];
    for (int t = 0; t < P; ++t) offset[t] = m.source[size_t(t)] - m.source[0];
    const uint32_t* base = in + m.source[0];
    size_t i = 0;
    for (; i + P <= n; i += P, base += m.advance)
        for (int t = 0; t < P; ++t) out[i + size_t(t)] = base[offset[t]];
    for (; i < n; ++i) out[i] = in[m.source[i]];
}

#if defined(__SSE2__)
// Two source pixels to three (the 1280 -> 1920 step): pixels a b c d become
// a a b c c d, one load and two stores for six pixels.
void gatherThreeHalves(uint32_t* out, const uint32_t* in, const AxisMap& m) {
    const size_t n = m.source.size();
    const uint32_t* from = in + m.source[0];
    size_t i = 0, j = 0;
    // Four source pixels are read for every six written: stop while the
    // mapping still reaches them.
    for (; i + 6 <= n && m.source[i + 5] - m.source[0] == static_cast<int>(j) + 3; i += 6, j += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + j));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_shuffle_epi32(v, _MM_SHUFFLE(2, 1, 0, 0)));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i + 4), _mm_shuffle_epi32(v, _MM_SHUFFLE(3, 3, 3, 2)));
    }
    for (; i < n; ++i) out[i] = in[m.source[i]];
}
#endif

void gather(uint32_t* out, const uint32_t* in, const AxisMap& m) {
    const size_t n = m.source.size();
    if (m.doubled) {  // the usual doubling, without a lookup per pixel
        const uint32_t* from = in + m.source[0];
        for (size_t j = 0; j < n / 2; ++j) {
            out[2 * j] = from[j];
            out[2 * j + 1] = from[j];
        }
        if (n % 2) out[n - 1] = from[n / 2];
        return;
    }
    const int* map = m.source.data();
#if defined(__SSE2__)
    if (m.period == 3 && m.advance == 2 && m.source[1] == m.source[0] && m.source[2] == m.source[0] + 1)
        return gatherThreeHalves(out, in, m);
#endif
    switch (m.period) {
        case 3: return gatherPeriodic<3>(out, in, m);
        case 4: return gatherPeriodic<4>(out, in, m);
        case 5: return gatherPeriodic<5>(out, in, m);
        default: break;
    }
    for (size_t i = 0; i < n; ++i) out[i] = in[map[i]];
}

template <bool kTransparent>
void scaledCopy(Surface& dst, int dx, int dy, int dw, int dh, const Surface& src, int sx, int sy, int sw, int sh,
                uint32_t key) {
    if (!dst.valid() || !src.valid()) return;
    const AxisMap xs = mapAxis(dx, dw, dst.width(), sx, sw, src.width());
    if (xs.source.empty()) return;
    const AxisMap ys = mapAxis(dy, dh, dst.height(), sy, sh, src.height());
    if (ys.source.empty()) return;

    const size_t n = xs.source.size();
    const size_t dstStride = static_cast<size_t>(dst.width());
    const size_t srcStride = static_cast<size_t>(src.width());
    // A straight run of columns needs no per-pixel mapping.
    const bool straight = xs.source.back() - xs.source.front() == static_cast<int>(n) - 1 &&
                          (n == 1 || xs.source[1] > xs.source[0]);
    uint32_t* dstBase = words(dst) + xs.firstTarget;
    const uint32_t* srcBase = words(src);
    // The scaled source row, made once for all target rows that share it.
    static thread_local std::vector<uint32_t> scaled;
    if (kTransparent && !straight) scaled.resize(n);
    int previousRow = -1;
    uint32_t* previousOut = nullptr;
    for (size_t r = 0; r < ys.source.size(); ++r) {
        uint32_t* out = dstBase + static_cast<size_t>(ys.firstTarget + static_cast<int>(r)) * dstStride;
        const int row = ys.source[r];
        if (!kTransparent && row == previousRow) {
            std::memcpy(out, previousOut, n * 4);
            previousOut = out;
            continue;
        }
        const uint32_t* in = srcBase + static_cast<size_t>(row) * srcStride;
        if constexpr (kTransparent) {
            const uint32_t* line = in + xs.source.front();
            if (!straight) {
                if (row != previousRow) gather(scaled.data(), in, xs);
                line = scaled.data();
            }
            keyedCopy(out, line, n, key);
        } else if (straight) {
            std::memcpy(out, in + xs.source.front(), n * 4);
        } else {
            gather(out, in, xs);  // straight into the target: one write a pixel
        }
        previousRow = row;
        previousOut = out;
    }
}

}  // namespace

bool Surface::create(int width, int height, ColorRef fill) {
    if (!reshape(width, height)) return false;
    std::fill(pixels_.begin(), pixels_.end(), toWord(fill));
    return true;
}

bool Surface::reshape(int width, int height) {
    width_ = height_ = 0;
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) {
        std::vector<uint32_t>().swap(pixels_);
        return false;
    }
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    // Memory the surface already has is used again: fresh pages cost more
    // than filling them.
    try {
        if (count > pixels_.capacity()) std::vector<uint32_t>().swap(pixels_);
        pixels_.resize(count);
    } catch (const std::bad_alloc&) {
        std::vector<uint32_t>().swap(pixels_);
        return false;
    }
    width_ = width;
    height_ = height;
    return true;
}

ColorRef Surface::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    return fromWord(pixels_[static_cast<size_t>(y) * width_ + x]);
}

uint8_t Surface::fourth(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    return static_cast<uint8_t>(pixels_[static_cast<size_t>(y) * width_ + x] >> 24);
}

void Surface::setPixel(int x, int y, ColorRef color) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    pixels_[static_cast<size_t>(y) * width_ + x] = toWord(color);
}

void fillRect(Surface& dst, int x, int y, int w, int h, ColorRef color) {
    if (!dst.valid() || w <= 0 || h <= 0) return;
    const int64_t x0 = std::max<int64_t>(x, 0), y0 = std::max<int64_t>(y, 0);
    const int64_t x1 = std::min<int64_t>(int64_t{x} + w, dst.width());
    const int64_t y1 = std::min<int64_t>(int64_t{y} + h, dst.height());
    if (x0 >= x1 || y0 >= y1) return;
    const uint32_t word = toWord(color);
    for (int64_t row = y0; row < y1; ++row) {
        uint32_t* p = words(dst) + static_cast<size_t>(row) * static_cast<size_t>(dst.width());
        std::fill(p + x0, p + x1, word);
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

void stretchCopy(Surface& dst, int dx, int dy, int dw, int dh, const Surface& src, int sx, int sy, int sw, int sh) {
    if (&dst == &src) {
        // Reading the pixels being overwritten would smear the picture.
        Surface copy = src;
        scaledCopy<false>(dst, dx, dy, dw, dh, copy, sx, sy, sw, sh, 0);
        return;
    }
    scaledCopy<false>(dst, dx, dy, dw, dh, src, sx, sy, sw, sh, 0);
}

void transparentCopy(Surface& dst, int dx, int dy, int dw, int dh, const Surface& src, int sx, int sy, int sw, int sh,
                     ColorRef transparent) {
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
    if (&dst == &src) {
        Surface copy = src;
        scaledCopy<true>(dst, dx, dy, dw, dh, copy, sx, sy, sw, sh, toWord(transparent) & 0xFFFFFFu);
        return;
    }
    scaledCopy<true>(dst, dx, dy, dw, dh, src, sx, sy, sw, sh, toWord(transparent) & 0xFFFFFFu);
}

}  // namespace qt::platform
