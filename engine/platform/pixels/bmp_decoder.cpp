#include "engine/platform/pixels/bmp_decoder.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

namespace qt::platform {

namespace {

constexpr size_t kFileHeader = 14;
constexpr int64_t kMostRunLengthPixels = int64_t{4096} * 4096;
constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitfields = 3, kAlphaBitfields = 6;

uint16_t u16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t u32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

// Checks what the headers claim against the file's bytes before anything is
// allocated: the sizes must fit a surface and the pixel rows of an
// uncompressed picture must lie inside the file.
bool plausible(std::span<const uint8_t> d) {
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

// The header fields that decide how the pixels are read. Header bytes past
// the end of the file read as zero.
struct Header {
    uint32_t offBits = 0;
    uint32_t infoSize = 0;
    size_t width = 0;
    size_t height = 0;
    bool topDown = false;
    uint32_t bpp = 0;
    uint32_t compression = kRgb;
    uint32_t colorsUsed = 0;
    uint32_t red = 0, green = 0, blue = 0, alpha = 0;  // bit fields
};

// Only after plausible().
Header readHeader(std::span<const uint8_t> d) {
    auto field = [&](size_t at, int bytes) {
        uint32_t v = 0;
        for (int i = 0; i < bytes && at + i < d.size(); ++i) v |= uint32_t{d[at + i]} << (8 * i);
        return v;
    };
    Header h;
    h.offBits = field(10, 4);
    h.infoSize = field(14, 4);
    if (h.infoSize == 12) {
        h.width = field(18, 2);
        h.height = field(20, 2);
        h.bpp = field(24, 2);
        return h;
    }
    const auto height = static_cast<int32_t>(field(22, 4));
    h.width = field(18, 4);
    h.topDown = height < 0;
    h.height = static_cast<size_t>(h.topDown ? -int64_t{height} : height);
    h.bpp = field(28, 2);
    h.compression = field(30, 4);
    h.colorsUsed = field(46, 4);
    // Fields count with compression 3 only (6 is read as having none). The
    // 64-byte header is OS/2's, whose later fields are no bit fields; in the
    // others the fields follow the first 40 bytes of the header.
    if (h.compression == kBitfields && h.infoSize != 64) {
        h.red = field(54, 4);
        h.green = field(58, 4);
        h.blue = field(62, 4);
        if (h.infoSize >= 56) h.alpha = field(66, 4);
    }
    return h;
}

// One colour channel of a stored pixel, scaled to eight bits (rounding down,
// so 31 of five bits is 255); a wider channel keeps its top eight bits.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;

    Channel() = default;
    explicit Channel(uint32_t m) : mask(m), shift(std::countr_zero(m)), bits(std::popcount(m)) {}
    uint32_t operator()(uint32_t pixel) const {
        const uint32_t v = (pixel & mask) >> shift;
        return bits >= 8 ? v >> (bits - 8) : v * 255 / ((1u << bits) - 1);
    }
};

// How the pixels are held once read. 1 and 4-bit pixels take a byte each.
struct Layout {
    int bytes = 1;         // a stored pixel: 1 to 4 bytes, little-endian
    bool indexed = false;  // the bytes are palette indexes
    Channel red, green, blue;
    // SDL's loader, which read our pictures before, widens 5-6-5 green by a
    // table that adds the two bytes' shares separately (63 gives 254, not
    // 255); done the same way, pictures keep the colours they had.
    bool green565 = false;

    // The output word: bytes blue, green, red, 0.
    uint32_t colour(uint32_t pixel) const {
        uint32_t g = green(pixel);
        if (green565) {
            const uint32_t v = (pixel >> 5) & 63;
            g = (v & 0x38) * 255 / 63 + (v & 7) * 4;
        }
        return blue(pixel) | (g << 8) | (red(pixel) << 16);
    }
};

struct Fields {
    int bytes;
    uint32_t red, green, blue, alpha;
    bool operator==(const Fields&) const = default;
};

// The bit fields that name a layout; the rest are refused.
// clang-format off
constexpr Fields kKnownFields[] = {
    {1, 0xE0, 0x1C, 0x03, 0},
    {2, 0x7C00, 0x03E0, 0x001F, 0},
    {2, 0x001F, 0x03E0, 0x7C00, 0},
    {2, 0x7C00, 0x03E0, 0x001F, 0x8000},
    {2, 0x001F, 0x03E0, 0x7C00, 0x8000},
    {2, 0xF800, 0x07C0, 0x003E, 0x0001},
    {2, 0x003E, 0x07C0, 0xF800, 0x0001},
    {2, 0xF800, 0x07E0, 0x001F, 0},
    {2, 0x001F, 0x07E0, 0xF800, 0},
    {2, 0x0F00, 0x00F0, 0x000F, 0xF000},
    {2, 0x000F, 0x00F0, 0x0F00, 0xF000},
    {2, 0xF000, 0x0F00, 0x00F0, 0x000F},
    {2, 0x00F0, 0x0F00, 0xF000, 0x000F},
    {4, 0x00FF0000, 0x0000FF00, 0x000000FF, 0},
    {4, 0x000000FF, 0x0000FF00, 0x00FF0000, 0},
    {4, 0xFF000000, 0x00FF0000, 0x0000FF00, 0},
    {4, 0x0000FF00, 0x00FF0000, 0xFF000000, 0},
    {4, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000},
    {4, 0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000},
    {4, 0xFF000000, 0x00FF0000, 0x0000FF00, 0x000000FF},
    {4, 0x0000FF00, 0x00FF0000, 0xFF000000, 0x000000FF},
    {4, 0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000},
};
// clang-format on

// Without bit fields, or with an empty red field, the pixel size alone
// decides; 24-bit pixels go by their red field alone.
bool chooseLayout(const Header& h, Layout& out) {
    const int bytes = h.bpp < 8 ? 1 : static_cast<int>(h.bpp / 8);
    Fields f{bytes, h.red, h.green, h.blue, h.alpha};
    if (h.compression == kRgb && bytes == 2) f = {2, 0x7C00, 0x03E0, 0x001F, 0};
    if (h.compression == kRgb && bytes >= 3) f = {bytes, 0xFF0000, 0xFF00, 0xFF, 0};
    const Fields plain565{2, 0xF800, 0x07E0, 0x001F, 0};
    out = Layout();
    out.bytes = bytes;
    if (f.red == 0 || (bytes == 3 && f.red == 0xFF0000)) {
        if (bytes == 1) {
            out.indexed = true;
            return true;
        }
        f = bytes == 2 ? plain565 : Fields{bytes, 0xFF0000, 0xFF00, 0xFF, 0};
    } else if (bytes == 3) {
        if (f.red != 0xFF) return false;
        f = {3, 0xFF, 0xFF00, 0xFF0000, 0};
    } else if (f == Fields{2, 0x003F, 0x07C0, 0xF800, 0}) {
        f = plain565;  // SDL read 5-5-6 as 5-6-5
    } else if (std::find(std::begin(kKnownFields), std::end(kKnownFields), f) == std::end(kKnownFields)) {
        return false;
    }
    out.red = Channel(f.red);
    out.green = Channel(f.green);
    out.blue = Channel(f.blue);
    out.green565 = f.red == plain565.red && f.green == plain565.green && f.blue == plain565.blue && bytes == 2;
    return true;
}

// Stored values of one or two bytes to output words: palette colours for
// an indexed picture (black past the palette's end), scaled channels otherwise.
struct Colours {
    std::vector<uint32_t> table;
    uint32_t entries = 0;  // palette entries read
};

Colours readColours(std::span<const uint8_t> d, const Header& h, const Layout& layout) {
    Colours c;
    if (layout.bytes > 2) return c;
    c.table.assign(size_t{1} << (8 * layout.bytes), 0);
    if (!layout.indexed) {
        for (uint32_t v = 0; v < c.table.size(); ++v) c.table[v] = layout.colour(v);
        return c;
    }
    // 256 entries unless the header names fewer, whatever the pixel size;
    // bytes of an entry past the end of the file read as 255.
    c.entries = h.colorsUsed == 0 || h.colorsUsed > 256 ? 256 : h.colorsUsed;
    const size_t entrySize = h.infoSize == 12 ? 3 : 4;
    size_t at = kFileHeader + h.infoSize;
    for (uint32_t i = 0; i < c.entries; ++i, at += entrySize) {
        uint32_t word = 0;
        for (size_t k = 0; k < 3; ++k) word |= uint32_t{at + k < d.size() ? d[at + k] : uint8_t{255}} << (8 * k);
        c.table[i] = word;
    }
    return c;
}

// Three bytes a pixel to one word. Whole words are read except for the
// row's last pixel, whose fourth byte may lie past the end of the buffer.
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

// One row of stored pixels to output words.
void convertRow(const Layout& layout, const Colours& colours, const uint8_t* in, uint32_t* row, size_t width) {
    const uint32_t* table = colours.table.data();
    const size_t step = static_cast<size_t>(layout.bytes);
    if (step == 1) {
        for (size_t x = 0; x < width; ++x) row[x] = table[in[x]];
    } else if (step == 2) {
        for (size_t x = 0; x < width; ++x) row[x] = table[u16(in + 2 * x)];
    } else if (layout.red.mask == 0xFF0000 && layout.green.mask == 0xFF00 && layout.blue.mask == 0xFF) {
        // Already blue, green, red: the common case, kept fast.
        if (step == 3) return widenRow(row, in, width);
        for (size_t x = 0; x < width; ++x) row[x] = u32(in + 4 * x) & 0xFFFFFFu;
    } else {
        for (size_t x = 0; x < width; ++x, in += step)
            row[x] = layout.colour(step == 3 ? in[0] | (in[1] << 8) | (in[2] << 16) : u32(in));
    }
}

uint32_t* outRow(Surface& out, size_t y) {
    return reinterpret_cast<uint32_t*>(out.bits()) + y * static_cast<size_t>(out.width());
}

size_t pitchOf(const Header& h, const Layout& layout) {
    return (h.width * static_cast<size_t>(layout.bytes) + 3) / 4 * 4;
}

// Rows of 8, 16, 24 or 32 bits, each whole in the file with its padding.
// A palette shorter than 256 entries refuses indexes past its end.
bool decodeRows(std::span<const uint8_t> d, const Header& h, const Layout& layout, const Colours& colours,
                Surface& out) {
    const size_t pitch = pitchOf(h, layout);
    if (uint64_t{h.offBits} + uint64_t{pitch} * h.height > d.size()) return false;
    const bool checked = layout.indexed && colours.entries < 256;
    for (size_t r = 0; r < h.height; ++r) {
        const uint8_t* in = d.data() + h.offBits + pitch * r;
        if (checked && std::any_of(in, in + h.width, [&](uint8_t i) { return i >= colours.entries; })) return false;
        convertRow(layout, colours, in, outRow(out, h.topDown ? r : h.height - 1 - r), h.width);
    }
    return true;
}

// 1 and 4-bit rows, the first pixel in a byte's top bits. Every value must
// be below the palette's length (with bit fields, below the header's colour
// count). plausible() has checked that the rows lie in the file.
bool decodePacked(std::span<const uint8_t> d, const Header& h, const Layout& layout, const Colours& colours,
                  Surface& out) {
    const uint32_t limit = layout.indexed ? colours.entries : h.colorsUsed;
    const size_t pitch = (h.width * h.bpp + 31) / 32 * 4;
    const size_t perByte = 8 / h.bpp;
    const uint32_t mask = (1u << h.bpp) - 1;
    for (size_t r = 0; r < h.height; ++r) {
        const uint8_t* in = d.data() + h.offBits + pitch * r;
        uint32_t* row = outRow(out, h.topDown ? r : h.height - 1 - r);
        for (size_t x = 0; x < h.width; ++x) {
            const uint32_t v = (in[x / perByte] >> (8 - h.bpp * (x % perByte + 1))) & mask;
            if (v >= limit) return false;
            row[x] = colours.table[v];
        }
    }
    return true;
}

// Run-length codes painted as bytes onto a cleared canvas laid out like
// stored rows, from the bottom row up whatever the header's row order. A
// position past a row's end falls into the row below, anything outside the
// canvas is dropped; bytes run out before the end-of-picture code refuse it.
bool paintRuns(std::span<const uint8_t> codes, bool fourBits, std::vector<uint8_t>& canvas, int64_t pitch) {
    const auto size = static_cast<int64_t>(canvas.size());
    int64_t line = size - pitch;  // where the current row starts
    int64_t x = 0;
    size_t next = 0;
    auto read = [&](uint8_t& b) {
        if (next >= codes.size()) return false;
        b = codes[next++];
        return true;
    };
    // Pixels x to x + count - 1; value(n) gives the n-th.
    auto paint = [&](int64_t count, auto value) {
        const int64_t start = line + x;
        const int64_t to = std::min(start + count, size);
        for (int64_t at = std::max<int64_t>(start, 0); at < to; ++at)
            canvas[static_cast<size_t>(at)] = static_cast<uint8_t>(value(at - start));
        x += count;
    };
    for (;;) {
        uint8_t count = 0, code = 0;
        if (!read(count) || !read(code)) return false;
        if (count > 0) {
            if (fourBits) paint(count, [=](int64_t n) { return n % 2 ? code & 15 : code >> 4; });
            else paint(count, [=](int64_t) { return code; });
            continue;
        }
        if (code == 0) {  // end of row
            line -= pitch;
            x = 0;
        } else if (code == 1) {
            return true;
        } else if (code == 2) {  // move right and up
            uint8_t right = 0, up = 0;
            if (!read(right) || !read(up)) return false;
            x += right;
            line -= up * pitch;
        } else {  // `code` pixels as they are, padded to whole 16-bit words
            const size_t bytes = fourBits ? (code + 1u) / 2 : code;
            if (codes.size() - next < bytes + bytes % 2) return false;
            const uint8_t* p = codes.data() + next;
            if (fourBits) paint(code, [=](int64_t n) { return n % 2 ? p[n / 2] & 15 : p[n / 2] >> 4; });
            else paint(code, [=](int64_t n) { return p[n]; });
            next += bytes + bytes % 2;
        }
    }
}

// Pixels never painted are stored value 0. Indexes past the palette are
// not refused here; they show black.
bool decodeRunLength(std::span<const uint8_t> d, const Header& h, const Layout& layout, const Colours& colours,
                     Surface& out) {
    const size_t pitch = pitchOf(h, layout);
    std::vector<uint8_t> canvas(pitch * h.height, 0);
    if (!paintRuns(d.subspan(h.offBits), h.compression == kRle4, canvas, static_cast<int64_t>(pitch))) return false;
    for (size_t y = 0; y < h.height; ++y)
        convertRow(layout, colours, canvas.data() + pitch * y, outRow(out, y), h.width);
    return true;
}

}  // namespace

bool decodeBmp(std::span<const uint8_t> file, Surface& out) {
    if (!plausible(file)) return false;
    const Header h = readHeader(file);
    Layout layout;
    if (!chooseLayout(h, layout)) return false;
    const Colours colours = readColours(file, h, layout);
    if (!out.reshape(static_cast<int>(h.width), static_cast<int>(h.height))) return false;
    if (h.compression == kRle8 || h.compression == kRle4) return decodeRunLength(file, h, layout, colours, out);
    if (h.bpp < 8) return decodePacked(file, h, layout, colours, out);
    return decodeRows(file, h, layout, colours, out);
}

}  // namespace qt::platform
