#pragma once
// BMP files written byte by byte, for the image loader and the commands that
// show pictures.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "engine/platform/pixels/surface.h"

namespace qt::test {

inline std::string le(uint32_t v, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}

inline std::string bytes(std::initializer_list<int> list) {
    std::string s;
    for (int v : list) s += static_cast<char>(v);
    return s;
}

// A BMP file: info header of 40 bytes (12 for the old core header), then
// masks or palette, then the rows as given (padding included).
inline std::string bmp(int32_t w, int32_t h, int bpp, uint32_t compression, const std::string& palette,
                       const std::string& rows, bool core = false) {
    const std::string info = core
                                 ? le(12, 4) + le(uint32_t(w), 2) + le(uint32_t(h), 2) + le(1, 2) + le(uint32_t(bpp), 2)
                                 : le(40, 4) + le(uint32_t(w), 4) + le(uint32_t(h), 4) + le(1, 2) +
                                       le(uint32_t(bpp), 2) + le(compression, 4) + le(uint32_t(rows.size()), 4) +
                                       std::string(8, '\0') + le(uint32_t(palette.size() / 4), 4) + le(0, 4);
    const uint32_t offset = uint32_t(14 + info.size() + palette.size());
    return "BM" + le(offset + uint32_t(rows.size()), 4) + le(0, 4) + le(offset, 4) + info + palette + rows;
}

// A bottom-up 24-bit BMP, rows given top first, padded to four bytes.
inline std::string bmp24(int w, int h, const std::vector<platform::ColorRef>& px) {
    std::string rows;
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x)
            rows += le(((px[y * w + x] & 0xFF) << 16) | (px[y * w + x] & 0xFF00) | (px[y * w + x] >> 16), 3);
        rows.append((4 - w * 3 % 4) % 4, '\0');
    }
    return bmp(w, h, 24, 0, "", rows);
}

}  // namespace qt::test
