#pragma once
// Small surfaces written as text pictures: one character per pixel.
#include <string>
#include <vector>

#include "engine/platform/surface.h"

namespace qt::platform::test {

inline ColorRef colorOf(char c) {
    switch (c) {
        case 'A': return rgb(255, 0, 0);
        case 'B': return rgb(0, 255, 0);
        case 'C': return rgb(0, 0, 255);
        case 'D': return rgb(255, 255, 255);
        case 'M': return rgb(255, 0, 255);
        case 'x': return rgb(1, 2, 3);
        default: return 0;
    }
}

inline char charOf(ColorRef c) {
    for (char ch : std::string("ABCDMx"))
        if (colorOf(ch) == c) return ch;
    return c == 0 ? '.' : '?';
}

inline Surface picture(const std::vector<std::string>& rows) {
    Surface s;
    s.create(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()), 0);
    for (size_t y = 0; y < rows.size(); ++y)
        for (size_t x = 0; x < rows[y].size(); ++x)
            s.setPixel(static_cast<int>(x), static_cast<int>(y), colorOf(rows[y][x]));
    return s;
}

inline std::string text(const Surface& s) {
    std::string out;
    for (int y = 0; y < s.height(); ++y) {
        for (int x = 0; x < s.width(); ++x) out += charOf(s.pixel(x, y));
        out += '\n';
    }
    return out;
}

inline std::string text(const std::vector<std::string>& rows) {
    std::string out;
    for (const auto& r : rows) out += r + '\n';
    return out;
}

}  // namespace qt::platform::test
