#pragma once
// Files and pictures the engine's tests make for themselves.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/platform/pixels/surface.h"
#include "support/bmp_file.h"
#include "support/temp_folder.h"

namespace qt::platform::test {

using qt::test::bmp;
using qt::test::bytes;
using qt::test::le;
using qt::test::TempFolder;

// Small sound files: 16-bit mono PCM at 8000 Hz, a square wave, whose format
// fields may say otherwise; OGG Vorbis, mono 22050 Hz, a tone (empty when the
// encoder fails). Each `ms` milliseconds long.
std::string wavFile(int ms, uint32_t tag = 1, uint32_t channels = 1, uint32_t rate = 8000, uint32_t block = 2,
                    uint32_t bits = 16);
std::string oggFile(int ms);
// Twelve minutes of 8 kHz mono Vorbis whose last page says three seconds:
// one second encoded, its middle packets repeated.
std::string oggThatSaysItIsShort();

// Small surfaces written as text pictures, one character a pixel:
// . black, A red, B green, C blue, D white, M magenta, x (1, 2, 3).
inline const std::string kInks = ".ABCDMx";
// clang-format off
inline const ColorRef kColors[] = {0, rgb(255, 0, 0), rgb(0, 255, 0), rgb(0, 0, 255), rgb(255, 255, 255),
                                   rgb(255, 0, 255), rgb(1, 2, 3)};
// clang-format on

inline ColorRef colorOf(char c) { return kColors[kInks.find(c)]; }

inline Surface picture(const std::vector<std::string>& rows) {
    Surface s;
    s.create(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()), 0);
    for (size_t y = 0; y < rows.size(); ++y)
        for (size_t x = 0; x < rows[y].size(); ++x) s.setPixel(int(x), int(y), colorOf(rows[y][x]));
    return s;
}

// The rows joined with "|"; "?" for a colour not in the list.
inline std::string text(const Surface& s) {
    std::string out;
    for (int y = 0; y < s.height(); ++y) {
        if (y) out += '|';
        for (int x = 0; x < s.width(); ++x) {
            size_t i = 0;
            while (i < kInks.size() && kColors[i] != s.pixel(x, y)) ++i;
            out += i < kInks.size() ? kInks[i] : '?';
        }
    }
    return out;
}

}  // namespace qt::platform::test
