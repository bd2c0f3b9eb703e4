#pragma once
// 32-bit pixel buffers drawn by our own code. Pixel bytes are blue, green,
// red and a fourth byte, rows top-down with no gaps. Colours passed in are
// the engine's 0x00BBGGRR values (red in the lowest byte).
#include <cstdint>
#include <vector>

namespace qt::platform {

using ColorRef = uint32_t;  // 0x00BBGGRR

constexpr ColorRef rgb(uint8_t r, uint8_t g, uint8_t b) {
    return static_cast<ColorRef>(r) | (static_cast<ColorRef>(g) << 8) | (static_cast<ColorRef>(b) << 16);
}

class Surface {
public:
    // Longest side a surface may have.
    static constexpr int kMaxSide = 16384;

    Surface() = default;
    // Allocates width x height pixels filled with `fill`. Returns false (and
    // leaves the surface empty) for non-positive or absurd sizes or when the
    // memory cannot be had.
    bool create(int width, int height, ColorRef fill);

    // Like create() without the fill: the pixels are left as they happen to
    // be, for a caller that writes every one of them.
    bool reshape(int width, int height);

    bool valid() const { return !pixels_.empty(); }
    int width() const { return width_; }
    int height() const { return height_; }

    // Direct pixel access: width() * height() * 4 bytes.
    uint8_t* bits() { return reinterpret_cast<uint8_t*>(pixels_.data()); }
    const uint8_t* bits() const { return reinterpret_cast<const uint8_t*>(pixels_.data()); }

    // The colour at (x, y) as 0x00BBGGRR (fourth byte left out); 0 outside.
    ColorRef pixel(int x, int y) const;
    // The fourth byte at (x, y).
    uint8_t fourth(int x, int y) const;
    void setPixel(int x, int y, ColorRef color);

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint32_t> pixels_;  // one word a pixel; bytes as described above
};

// All drawing clips to both surfaces; nothing is written outside a surface.

// Fills the rectangle with a solid colour (fourth byte 0).
void fillRect(Surface& dst, int x, int y, int w, int h, ColorRef color);

// Plain copy of a w x h block.
void copyBlock(Surface& dst, int dx, int dy, int w, int h, const Surface& src, int sx, int sy);

// Scales the source rectangle onto the target rectangle, each target pixel
// taken from one source pixel (no blending): target offset i of n takes
// source offset i * sourceSize / n. A negative width or height on either side
// mirrors the picture along that axis; the rectangle then spans the pixels
// [x + w, x), so (10, -4) covers columns 6 to 9. Target pixels whose source
// pixel lies outside the source surface are left alone.
void stretchCopy(Surface& dst, int dx, int dy, int dw, int dh, const Surface& src, int sx, int sy, int sw, int sh);

// Like stretchCopy, leaving out every source pixel whose three colour bytes
// equal `transparent`. Non-positive sizes draw nothing.
void transparentCopy(Surface& dst, int dx, int dy, int dw, int dh, const Surface& src, int sx, int sy, int sw, int sh,
                     ColorRef transparent);

}  // namespace qt::platform
