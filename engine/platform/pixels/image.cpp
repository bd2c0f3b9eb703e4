#include "engine/platform/pixels/image.h"

#include <SDL.h>
#include <png.h>
#include <sys/stat.h>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace qt::platform {

namespace {

constexpr size_t kFileHeader = 14;
constexpr int64_t kMostRunLengthPixels = int64_t{4096} * 4096;
constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitfields = 3, kAlphaBitfields = 6;

uint16_t u16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t u32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

bool readWholeFile(const std::string& path, std::vector<uint8_t>& data) {
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!f) return false;
    struct stat st {};
    if (fstat(fileno(f.get()), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    // The largest picture a surface can hold, with room for headers and a
    // palette; anything longer is not an image we can show.
    constexpr uint64_t kLongest = uint64_t{Surface::kMaxSide} * Surface::kMaxSide * 4 + (1u << 20);
    if (st.st_size < 0 || static_cast<uint64_t>(st.st_size) > kLongest) return false;
    data.clear();
    data.resize(static_cast<size_t>(st.st_size));
    return data.empty() || std::fread(data.data(), 1, data.size(), f.get()) == data.size();
}

// Checks what the headers claim against the file's bytes before the loader
// allocates anything: the sizes must fit a surface and the pixel rows of an
// uncompressed picture must lie inside the file.
bool plausible(const std::vector<uint8_t>& d) {
    if (d.size() < kFileHeader + 12 || d[0] != 'B' || d[1] != 'M') return false;
    const uint32_t offBits = u32(&d[10]);
    const uint32_t infoSize = u32(&d[14]);
    int64_t width = 0, height = 0;
    uint32_t bpp = 0, compression = kRgb;
    if (infoSize == 12) {
        width = u16(&d[18]);
        height = u16(&d[20]);
        bpp = u16(&d[24]);
    } else if (infoSize >= 40 && infoSize <= 1024) {
        if (d.size() < kFileHeader + 40) return false;
        width = static_cast<int32_t>(u32(&d[18]));
        height = static_cast<int32_t>(u32(&d[22]));
        bpp = u16(&d[28]);
        compression = u32(&d[30]);
    } else {
        return false;
    }
    if (height < 0) height = -height;
    if (width <= 0 || height <= 0 || width > Surface::kMaxSide || height > Surface::kMaxSide) return false;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
    if (offBits >= d.size()) return false;
    if (compression == kRgb || compression == kBitfields || compression == kAlphaBitfields) {
        const uint64_t rowBytes = (static_cast<uint64_t>(width) * bpp + 31) / 32 * 4;
        const uint64_t lastRow = (static_cast<uint64_t>(width) * bpp + 7) / 8;
        if (uint64_t{offBits} + rowBytes * static_cast<uint64_t>(height - 1) + lastRow > d.size()) return false;
    } else if (compression == kRle8 || compression == kRle4) {
        // Runs and skips let a few bytes claim a vast picture.
        if (width * height > kMostRunLengthPixels) return false;
    } else {
        return false;
    }
    return true;
}

// Three bytes a pixel to one word. Whole words are read except for the
// row's last pixel, whose fourth byte may lie past the end of the file.
void widenRowPlain(uint32_t* row, const uint8_t* in, size_t width) {
    for (size_t x = 0; x + 1 < width; ++x) {
        uint32_t word;
        std::memcpy(&word, in + 3 * x, 4);
        row[x] = word & 0xFFFFFFu;
    }
    const uint8_t* last = in + 3 * (width - 1);
    row[width - 1] = uint32_t{last[0]} | (uint32_t{last[1]} << 8) | (uint32_t{last[2]} << 16);
}

#if defined(__x86_64__)
// Four pixels a shuffle (six times the plain loop). 16 bytes are read for
// 12, so the loop stops while two more pixels follow in the row.
[[gnu::target("ssse3")]] void widenRowShuffled(uint32_t* row, const uint8_t* in, size_t width) {
    const __m128i order = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    size_t x = 0;
    for (; x + 6 <= width; x += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 3 * x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + x), _mm_shuffle_epi8(v, order));
    }
    widenRowPlain(row + x, in + 3 * x, width - x);
}
#endif

void widenRow(uint32_t* row, const uint8_t* in, size_t width) {
#if defined(__x86_64__)
    static const bool shuffle = __builtin_cpu_supports("ssse3");
    if (shuffle) return widenRowShuffled(row, in, width);
#endif
    widenRowPlain(row, in, width);
}

// The most common kind, uncompressed 24 or 32 bits a pixel, is turned into
// a surface here without a detour through SDL's surfaces (a third of the
// time). The headers have been checked by plausible() already.
bool decodePlain(const std::vector<uint8_t>& d, Surface& out) {
    const uint32_t infoSize = u32(&d[14]);
    if (infoSize < 40 || u32(&d[30]) != kRgb) return false;
    const uint32_t bpp = u16(&d[28]);
    if (bpp != 24 && bpp != 32) return false;
    const int32_t width = static_cast<int32_t>(u32(&d[18]));
    const int32_t rawHeight = static_cast<int32_t>(u32(&d[22]));
    const bool topDown = rawHeight < 0;
    const int32_t height = topDown ? -rawHeight : rawHeight;
    if (!out.reshape(width, height)) return false;
    const size_t rowBytes = (static_cast<size_t>(width) * bpp + 31) / 32 * 4;
    const size_t step = bpp / 8;
    const uint8_t* pixels = d.data() + u32(&d[10]);
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* in = pixels + rowBytes * static_cast<size_t>(topDown ? y : height - 1 - y);
        auto* row = reinterpret_cast<uint32_t*>(out.bits()) + static_cast<size_t>(y) * static_cast<size_t>(width);
        if (step == 3) {
            widenRow(row, in, static_cast<size_t>(width));
        } else {
            for (int32_t x = 0; x < width; ++x, in += 4) {
                uint32_t word;
                std::memcpy(&word, in, 4);
                row[x] = word & 0xFFFFFFu;
            }
        }
    }
    return true;
}

struct SurfaceDeleter {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using SdlSurface = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

// Pixels whose bytes are blue, green, red (and one more) are copied as they
// are; everything else goes through SDL's converter first.
bool copyPixels(SDL_Surface* in, Surface& out) {
    SdlSurface converted;
    const SDL_PixelFormat* f = in->format;
    const bool bgr = f->Rmask == 0xFF0000 && f->Gmask == 0xFF00 && f->Bmask == 0xFF;
    if (!(bgr && (f->BytesPerPixel == 3 || f->BytesPerPixel == 4))) {
        converted.reset(SDL_ConvertSurfaceFormat(in, SDL_PIXELFORMAT_ARGB8888, 0));
        if (!converted) return false;
        in = converted.get();
    }
    if (!out.create(in->w, in->h, 0)) return false;
    if (SDL_MUSTLOCK(in) && SDL_LockSurface(in) != 0) return false;
    const int step = in->format->BytesPerPixel;
    for (int y = 0; y < in->h; ++y) {
        const auto* src = static_cast<const uint8_t*>(in->pixels) + static_cast<ptrdiff_t>(y) * in->pitch;
        uint8_t* dst = out.bits() + static_cast<size_t>(y) * in->w * 4;
        for (int x = 0; x < in->w; ++x, src += step, dst += 4) {
            dst[0] = src[0];
            dst[1] = src[1];
            dst[2] = src[2];
            dst[3] = 0;
        }
    }
    if (SDL_MUSTLOCK(in)) SDL_UnlockSurface(in);
    return true;
}

bool loadInto(const std::string& diskPath, std::vector<uint8_t>& data, Surface& out) {
    if (!readWholeFile(diskPath, data) || !plausible(data)) return false;
    if (decodePlain(data, out)) return true;
    SDL_RWops* rw = SDL_RWFromConstMem(data.data(), static_cast<int>(data.size()));
    if (!rw) return false;
    SdlSurface loaded(SDL_LoadBMP_RW(rw, 1));
    return loaded && copyPixels(loaded.get(), out);
}

}  // namespace

bool loadBmp(const std::string& diskPath, Surface& out) {
    // The file's bytes go to one buffer that is used again, and the picture
    // into the memory `out` already has (see Surface::create).
    static thread_local std::vector<uint8_t> data;
    constexpr size_t kKeptBuffer = size_t{64} << 20;
    const bool ok = loadInto(diskPath, data, out);
    if (data.capacity() > kKeptBuffer) std::vector<uint8_t>().swap(data);
    if (!ok) out = Surface();
    return ok;
}

bool loadImage(const std::string& diskPath, Surface& out) {
    out = Surface();
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, diskPath.c_str())) return false;
    Surface picture;
    if (image.width > Surface::kMaxSide || image.height > Surface::kMaxSide ||
        !picture.create(static_cast<int>(image.width), static_cast<int>(image.height), 0)) {
        png_image_free(&image);
        return false;
    }
    // Blue, green, red and a fourth byte: the surface's own layout.
    image.format = PNG_FORMAT_BGRA;
    if (!png_image_finish_read(&image, nullptr, picture.bits(), 0, nullptr)) return false;
    const size_t count = size_t{image.width} * image.height;
    for (size_t i = 0; i < count; ++i) picture.bits()[i * 4 + 3] = 0;
    out = std::move(picture);
    return true;
}

bool savePng(const Surface& surface, const std::string& diskPath) {
    if (!surface.valid()) return false;
    // The fourth byte is not part of the picture.
    const size_t count = static_cast<size_t>(surface.width()) * static_cast<size_t>(surface.height());
    std::vector<uint8_t> bgr(count * 3);
    for (size_t i = 0; i < count; ++i) std::memcpy(&bgr[i * 3], surface.bits() + i * 4, 3);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(surface.width());
    image.height = static_cast<png_uint_32>(surface.height());
    image.format = PNG_FORMAT_BGR;
    const bool ok = png_image_write_to_file(&image, diskPath.c_str(), 0, bgr.data(), 0, nullptr) != 0;
    png_image_free(&image);
    return ok;
}

}  // namespace qt::platform
