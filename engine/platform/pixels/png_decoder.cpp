#include "engine/platform/pixels/png_decoder.h"

#include <png.h>

#include <csetjmp>
#include <cstring>

namespace qt::platform {

namespace {

constexpr size_t kSignature = 8;

// zlib's deflate never packs more than 1032 bytes into one.
constexpr uint64_t kMostDeflateRatio = 1032;

struct Source {
    const uint8_t* data;
    size_t size;
    size_t at;
};

// libpng calls these from C, and an error leaves them by longjmp: no objects
// with destructors may live in their frames, nor in readPicture's.
void readBytes(png_structp png, png_bytep into, size_t count) {
    Source* source = static_cast<Source*>(png_get_io_ptr(png));
    if (count > source->size - source->at) png_error(png, "truncated");
    std::memcpy(into, source->data + source->at, count);
    source->at += count;
}

[[noreturn]] void onError(png_structp png, png_const_charp) { png_longjmp(png, 1); }

void onWarning(png_structp, png_const_charp) {}

// Reads the picture as blue, green, red and alpha bytes straight into `out`.
bool readPicture(png_structp png, png_infop info, Surface& out, size_t fileSize) {
    png_set_user_limits(png, Surface::kMaxSide, Surface::kMaxSide);
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    const int colorType = png_get_color_type(png, info);
    const int depth = png_get_bit_depth(png, info);
    // A few bytes may claim a vast picture; refuse it before allocating.
    const uint64_t pixelBits = uint64_t{width} * height * png_get_channels(png, info) * depth;
    if (pixelBits / 8 > fileSize * kMostDeflateRatio) return false;

    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    const bool keyed = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (keyed) png_set_tRNS_to_alpha(png);
    if (depth == 16) png_set_scale_16(png);
    if ((colorType & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(png);
    // 0xFFFF is opaque on either side of the 16-bit scaling.
    if ((colorType & PNG_COLOR_MASK_ALPHA) == 0 && !keyed) png_set_add_alpha(png, 0xFFFF, PNG_FILLER_AFTER);
    png_set_bgr(png);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t{width} * 4) return false;

    if (!out.reshape(static_cast<int>(width), static_cast<int>(height))) return false;
    for (int pass = 0; pass < passes; ++pass)
        for (png_uint_32 y = 0; y < height; ++y) png_read_row(png, out.bits() + size_t{y} * width * 4, nullptr);
    // The chunks after the pixels, up to IEND, must be whole too.
    png_read_end(png, nullptr);
    return true;
}

bool readGuarded(png_structp png, png_infop info, Surface& out, size_t fileSize) {
    if (setjmp(png_jmpbuf(png))) return false;
    return readPicture(png, info, out, fileSize);
}

// 127 of 255 is under one half, 128 over it.
constexpr uint8_t kFirstOpaqueAlpha = 128;

void settleAlpha(Surface& out, ColorRef transparentAs) {
    const uint8_t clear[4] = {static_cast<uint8_t>(transparentAs >> 16), static_cast<uint8_t>(transparentAs >> 8),
                              static_cast<uint8_t>(transparentAs), 0};
    uint8_t* p = out.bits();
    const size_t count = static_cast<size_t>(out.width()) * static_cast<size_t>(out.height());
    for (size_t i = 0; i < count; ++i, p += 4) {
        if (p[3] < kFirstOpaqueAlpha) std::memcpy(p, clear, 4);
        else p[3] = 0;
    }
}

}  // namespace

bool isPng(std::span<const uint8_t> file) {
    return file.size() >= kSignature && png_sig_cmp(file.data(), 0, kSignature) == 0;
}

bool decodePng(std::span<const uint8_t> file, Surface& out, ColorRef transparentAs) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, &onError, &onWarning);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    Source source{file.data(), file.size(), 0};
    bool ok = false;
    if (info != nullptr) {
        png_set_read_fn(png, &source, &readBytes);
        ok = readGuarded(png, info, out, file.size());
    }
    png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
    if (ok) settleAlpha(out, transparentAs);
    return ok;
}

}  // namespace qt::platform
