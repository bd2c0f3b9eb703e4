#pragma once
// PNG files written through libpng, for the image loader and the image command.
#include <png.h>

#include <csetjmp>
#include <optional>
#include <string>
#include <vector>

namespace qt::test {

struct Png {
    int width, height, colorType, depth;
    bool interlaced = false;
    std::vector<int> samples = {};  // every channel of every pixel, rows top first
    std::vector<png_color> palette = {};
    std::vector<png_byte> paletteAlpha = {};  // tRNS of a palette picture
    std::optional<png_color_16> key = {};     // tRNS of a grey or RGB picture
};

// No objects with destructors in this frame: libpng leaves it by longjmp.
inline bool writePng(png_structp png, png_infop info, const Png& p, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_IHDR(png, info, png_uint_32(p.width), png_uint_32(p.height), p.depth, p.colorType,
                 p.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, 0, 0);
    if (!p.palette.empty()) png_set_PLTE(png, info, p.palette.data(), int(p.palette.size()));
    if (!p.paletteAlpha.empty() || p.key)
        png_set_tRNS(png, info, p.paletteAlpha.data(), int(p.paletteAlpha.size()), p.key ? &*p.key : nullptr);
    png_write_info(png, info);
    if (p.depth < 8) png_set_packing(png);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return true;
}

// The file's bytes; empty when libpng refuses the picture.
inline std::string pngFile(const Png& p) {
    const size_t channels[] = {1, 0, 3, 1, 2, 0, 4};  // by colour type
    std::vector<png_byte> bytes(size_t(p.width) * size_t(p.height) * channels[p.colorType] * (p.depth == 16 ? 2 : 1));
    for (size_t i = 0; i < p.samples.size(); ++i) {
        if (p.depth == 16) bytes.at(2 * i) = png_byte(p.samples[i] >> 8);
        bytes.at(p.depth == 16 ? 2 * i + 1 : i) = png_byte(p.samples[i]);
    }
    std::vector<png_bytep> rows;
    for (size_t y = 0; y < size_t(p.height); ++y) rows.push_back(&bytes[bytes.size() / size_t(p.height) * y]);
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(
        png, &out,
        [](png_structp w, png_bytep data, size_t n) {
            static_cast<std::string*>(png_get_io_ptr(w))->append(reinterpret_cast<char*>(data), n);
        },
        [](png_structp) {});
    const bool ok = writePng(png, info, p, rows.data());
    png_destroy_write_struct(&png, &info);
    return ok ? out : std::string();
}

}  // namespace qt::test
