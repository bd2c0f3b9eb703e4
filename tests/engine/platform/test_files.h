#pragma once
// Files and pictures the engine's tests make for themselves.
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "engine/platform/surface.h"

namespace qt::platform::test {

// A folder for one test's files, removed with the object.
class TempFolder {
public:
    TempFolder() {
        char name[] = "/tmp/qt_test_XXXXXX";
        path_ = mkdtemp(name);
    }
    ~TempFolder() { std::filesystem::remove_all(path_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    // Returns the file's path.
    std::string write(const std::string& name, const std::string& bytes) const {
        std::ofstream(file(name), std::ios::binary) << bytes;
        return file(name);
    }
    std::string read(const std::string& name) const {
        std::ifstream in(file(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::string path_;
};

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
