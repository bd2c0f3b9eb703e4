#pragma once
// Files and pictures the engine's tests make for themselves.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "engine/platform/surface.h"
#include "support/temp_folder.h"

namespace qt::platform::test {

using qt::test::TempFolder;

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
    const std::string info = core ? le(12, 4) + le(uint32_t(w), 2) + le(uint32_t(h), 2) + le(1, 2) + le(uint32_t(bpp), 2)
                                  : le(40, 4) + le(uint32_t(w), 4) + le(uint32_t(h), 4) + le(1, 2) + le(uint32_t(bpp), 2) +
                                        le(compression, 4) + le(uint32_t(rows.size()), 4) + std::string(8, '\0') +
                                        le(uint32_t(palette.size() / 4), 4) + le(0, 4);
    const uint32_t offset = uint32_t(14 + info.size() + palette.size());
    return "BM" + le(offset + uint32_t(rows.size()), 4) + le(0, 4) + le(offset, 4) + info + palette + rows;
}

// Small sound files: 16-bit mono PCM at 8000 Hz, a square wave; a one-track
// standard MIDI file of one note; OGG Vorbis, mono 22050 Hz, a tone (empty
// when the encoder fails). Each `ms` milliseconds long.
std::string wavFile(int ms);
std::string midiFile(int ms);
std::string oggFile(int ms);

// Small surfaces written as text pictures, one character a pixel:
// . black, A red, B green, C blue, D white, M magenta, x (1, 2, 3).
inline const std::string kInks = ".ABCDMx";
inline const ColorRef kColors[] = {0, rgb(255, 0, 0), rgb(0, 255, 0), rgb(0, 0, 255), rgb(255, 255, 255),
                                   rgb(255, 0, 255), rgb(1, 2, 3)};

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
