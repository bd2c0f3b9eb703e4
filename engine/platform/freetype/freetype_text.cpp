// Text through FreeType, faces from the game's fonts folder or fontconfig.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "common/cp932.h"
#include "common/sjis.h"
#include "engine/platform/freetype/freetype_text.h"
#include "engine/platform/freetype/folder_fonts.h"
#include "engine/platform/freetype/system_fonts.h"
#include "engine/platform/leak_check.h"

namespace qt::platform {

namespace {

// Cells taller than this are drawn at this height: a glyph bitmap grows with
// the square of the height.
constexpr int kMaxCellHeight = 1024;
// Windows' default when no height is asked for.
constexpr int kDefaultCellHeight = 16;
constexpr uint32_t kReplacement = 0xFFFD;

// One FreeType library for the process.
class FontSystem {
public:
    static FontSystem& get() {
        static FontSystem system;
        return system;
    }
    FT_Library library() const { return library_; }

private:
    FontSystem() {
        useLeakCheckList();
        if (FT_Init_FreeType(&library_) != 0) library_ = nullptr;
    }
    FT_Library library_ = nullptr;
};

// CP932 characters to Unicode, each converted once.
uint32_t decodeUtf8(const std::string& s) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const size_t n = s.size();
    if (n == 1 && p[0] < 0x80) return p[0];
    if (n == 2 && (p[0] & 0xE0) == 0xC0 && (p[1] & 0xC0) == 0x80) return ((p[0] & 0x1Fu) << 6) | (p[1] & 0x3Fu);
    if (n == 3 && (p[0] & 0xF0) == 0xE0 && (p[1] & 0xC0) == 0x80 && (p[2] & 0xC0) == 0x80)
        return ((p[0] & 0x0Fu) << 12) | ((p[1] & 0x3Fu) << 6) | (p[2] & 0x3Fu);
    if (n == 4 && (p[0] & 0xF8) == 0xF0 && (p[1] & 0xC0) == 0x80 && (p[2] & 0xC0) == 0x80 && (p[3] & 0xC0) == 0x80)
        return ((p[0] & 0x07u) << 18) | ((p[1] & 0x3Fu) << 12) | ((p[2] & 0x3Fu) << 6) | (p[3] & 0x3Fu);
    return kReplacement;
}

uint32_t unicodeOf(uint16_t code, bool twoBytes) {
    static std::vector<uint32_t> table(0x10000, 0);  // 0 = not converted yet
    const uint32_t cached = table[code];
    if (cached != 0) return cached;
    char bytes[2];
    std::string_view one;
    if (twoBytes) {
        bytes[0] = static_cast<char>(code >> 8);
        bytes[1] = static_cast<char>(code & 0xFF);
        one = std::string_view(bytes, 2);
    } else {
        bytes[0] = static_cast<char>(code);
        one = std::string_view(bytes, 1);
    }
    uint32_t cp = code == 0 ? 0 : decodeUtf8(cp932ToUtf8(one));
    if (cp == 0) cp = kReplacement;
    table[code] = cp;
    return cp;
}

template <typename F>
void forEachCharacter(std::string_view cp932, F&& f) {
    for (size_t i = 0; i < cp932.size(); ++i) {
        const auto b = static_cast<unsigned char>(cp932[i]);
        if (isLeadByte(b) && i + 1 < cp932.size()) {
            const auto t = static_cast<unsigned char>(cp932[i + 1]);
            f(unicodeOf(static_cast<uint16_t>((b << 8) | t), true));
            ++i;
        } else {
            f(unicodeOf(b, false));
        }
    }
}

// The game's own fonts when it ships any, else the machine's.
bool chooseFace(const std::string& familyUtf8, bool bold, bool italic, bool monospace, const FolderFonts* folder,
                FaceChoice& out) {
    if (folder && !folder->empty()) return folder->choose(familyUtf8, bold, italic, monospace, out);
#ifdef QT_FONTCONFIG
    return chooseSystemFace(familyUtf8, bold, italic, monospace, out);
#else
    return false;
#endif
}

struct Glyph {
    int left = 0, top = 0, width = 0, rows = 0, advance = 0;
    std::vector<uint8_t> coverage;  // width x rows, 0..255
};

class FreeTypeFont : public Font {
public:
    ~FreeTypeFont() override {
        if (face_) FT_Done_Face(face_);
    }

    bool open(const FontRequest& request, bool monospace, const FolderFonts* folder) {
        FT_Library library = FontSystem::get().library();
        if (!library) return false;
        request_ = request;
        const bool bold = request.weight >= 600;
        const std::string family = cp932ToUtf8(request.face);
        FaceChoice choice;
        if (!chooseFace(family, bold, request.italic, monospace, folder, choice)) return false;
        if (FT_New_Face(library, choice.file.c_str(), choice.index, &face_) != 0) {
            face_ = nullptr;
            return false;
        }
        family_ = choice.family;
        // The face itself says what it is; fontconfig's answer may already
        // count a synthesised style.
        emboldened_ = bold && !(face_->style_flags & FT_STYLE_FLAG_BOLD);
        slanted_ = request.italic && !(face_->style_flags & FT_STYLE_FLAG_ITALIC);
        return setSize(request.height);
    }

    void draw(Surface& dst, int x, int y, std::string_view cp932, ColorRef color,
              std::optional<ColorRef> background) override {
        if (!dst.valid()) return;
        if (background) fillRect(dst, x, y, textWidth(cp932), cell_, *background);
        int64_t pen = x;
        forEachCharacter(cp932, [&](uint32_t cp) {
            const Glyph& g = glyph(cp);
            blit(dst, pen + g.left, int64_t{y} + baseline_ - g.top, g, color);
            pen += g.advance;
        });
        const int64_t width = pen - x;
        if (request_.underline) line(dst, x, width, int64_t{y} + underlineTop_, lineThickness_, color);
        if (request_.strikeOut) line(dst, x, width, int64_t{y} + strikeTop_, strikeThickness_, color);
    }

    int textWidth(std::string_view cp932) override {
        int64_t width = 0;
        forEachCharacter(cp932, [&](uint32_t cp) { width += glyph(cp).advance; });
        return static_cast<int>(std::min<int64_t>(width, INT32_MAX));
    }

    int cellHeight() const override { return cell_; }
    int ascent() const override { return baseline_; }
    std::string familyName() const override { return family_; }

private:
    bool setSize(int height) {
        int asc = 0, desc = 0;
        const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
        if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
            asc = os2->usWinAscent;
            desc = os2->usWinDescent;
        } else {
            asc = face_->ascender;
            desc = -face_->descender;
        }
        const int upem = face_->units_per_EM > 0 ? face_->units_per_EM : 1000;
        if (asc + desc <= 0) {
            asc = upem * 88 / 100;
            desc = upem - asc;
        }
        // Positive: the cell; negative: the em; zero: the default cell.
        int64_t em26 = 0;  // em size in 1/64 pixel
        if (height == 0) height = kDefaultCellHeight;
        if (height > 0) {
            cell_ = std::min(height, kMaxCellHeight);
            em26 = int64_t{cell_} * upem * 64 / (asc + desc);
        } else {
            const int64_t em = std::min<int64_t>(-int64_t{height}, kMaxCellHeight);
            em26 = em * 64;
            cell_ = static_cast<int>(std::llround(static_cast<double>(em) * (asc + desc) / upem));
        }
        em26 = std::max<int64_t>(em26, 64);
        if (FT_IS_SCALABLE(face_)) {
            if (FT_Set_Char_Size(face_, 0, static_cast<FT_F26Dot6>(em26), 72, 72) != 0) return false;
        } else if (face_->num_fixed_sizes > 0) {
            if (FT_Select_Size(face_, 0) != 0) return false;
        } else {
            return false;
        }
        const double pxPerUnit = static_cast<double>(em26) / 64.0 / upem;
        baseline_ = static_cast<int>(std::lround(static_cast<double>(cell_) * asc / (asc + desc)));

        const double thick = std::max(1.0, std::round(face_->underline_thickness * pxPerUnit));
        lineThickness_ = static_cast<int>(thick);
        int underlinePos = static_cast<int>(std::lround(-face_->underline_position * pxPerUnit));
        if (face_->underline_position == 0) underlinePos = std::max(1, (cell_ - baseline_) / 2);
        underlineTop_ = baseline_ + std::max(1, underlinePos) - lineThickness_ / 2;
        underlineTop_ = std::min(underlineTop_, cell_ - lineThickness_);

        strikeThickness_ = lineThickness_;
        int strikePos = static_cast<int>(std::lround(em26 / 64.0 * 0.3));
        if (os2 && os2->version != 0xFFFF && os2->yStrikeoutPosition > 0) {
            strikePos = static_cast<int>(std::lround(os2->yStrikeoutPosition * pxPerUnit));
            if (os2->yStrikeoutSize > 0)
                strikeThickness_ = std::max(1, static_cast<int>(std::lround(os2->yStrikeoutSize * pxPerUnit)));
        }
        strikeTop_ = baseline_ - strikePos - strikeThickness_ / 2;
        return true;
    }

    const Glyph& glyph(uint32_t cp) {
        auto it = glyphs_.find(cp);
        if (it != glyphs_.end()) return it->second;
        Glyph& g = glyphs_[cp];
        render(cp, g);
        return g;
    }

    void render(uint32_t cp, Glyph& g) {
        const FT_UInt index = FT_Get_Char_Index(face_, cp);
        FT_Int32 flags = FT_LOAD_NO_BITMAP;
        flags |= request_.antialiased ? FT_LOAD_TARGET_NORMAL : FT_LOAD_TARGET_MONO;
        if (FT_Load_Glyph(face_, index, flags) != 0) return;
        FT_GlyphSlot slot = face_->glyph;
        if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
            if (emboldened_) FT_GlyphSlot_Embolden(slot);
            if (slanted_) FT_GlyphSlot_Oblique(slot);
        }
        g.advance = static_cast<int>((slot->advance.x + 32) >> 6);
        if (FT_Render_Glyph(slot, request_.antialiased ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO) != 0) return;
        const FT_Bitmap& bm = slot->bitmap;
        g.left = slot->bitmap_left;
        g.top = slot->bitmap_top;
        g.width = static_cast<int>(bm.width);
        g.rows = static_cast<int>(bm.rows);
        g.coverage.assign(static_cast<size_t>(g.width) * g.rows, 0);
        for (int r = 0; r < g.rows; ++r) {
            const unsigned char* row = bm.buffer + static_cast<ptrdiff_t>(r) * bm.pitch;
            uint8_t* out = g.coverage.data() + static_cast<size_t>(r) * g.width;
            for (int c = 0; c < g.width; ++c) {
                if (bm.pixel_mode == FT_PIXEL_MODE_MONO) out[c] = (row[c >> 3] & (0x80 >> (c & 7))) ? 255 : 0;
                else if (bm.pixel_mode == FT_PIXEL_MODE_GRAY)
                    out[c] = static_cast<uint8_t>(bm.num_grays == 256 ? row[c]
                                                                      : row[c] * 255 / std::max(1, bm.num_grays - 1));
            }
        }
    }

    static void blit(Surface& dst, int64_t x, int64_t y, const Glyph& g, ColorRef color) {
        const int r = color & 0xFF, gr = (color >> 8) & 0xFF, b = (color >> 16) & 0xFF;
        const int64_t c0 = std::max<int64_t>(0, -x), c1 = std::min<int64_t>(g.width, dst.width() - x);
        const int64_t r0 = std::max<int64_t>(0, -y), r1 = std::min<int64_t>(g.rows, dst.height() - y);
        if (c0 >= c1 || r0 >= r1) return;
        for (int64_t row = r0; row < r1; ++row) {
            uint8_t* p = dst.bits() + (static_cast<size_t>(y + row) * dst.width() + static_cast<size_t>(x + c0)) * 4;
            const uint8_t* cov = g.coverage.data() + static_cast<size_t>(row) * g.width;
            for (int64_t col = c0; col < c1; ++col, p += 4) {
                const int a = cov[col];
                if (a == 0) continue;
                if (a == 255) {
                    p[0] = static_cast<uint8_t>(b);
                    p[1] = static_cast<uint8_t>(gr);
                    p[2] = static_cast<uint8_t>(r);
                } else {
                    p[0] = static_cast<uint8_t>((b * a + p[0] * (255 - a) + 127) / 255);
                    p[1] = static_cast<uint8_t>((gr * a + p[1] * (255 - a) + 127) / 255);
                    p[2] = static_cast<uint8_t>((r * a + p[2] * (255 - a) + 127) / 255);
                }
                p[3] = 0;
            }
        }
    }

    static void line(Surface& dst, int64_t x, int64_t width, int64_t top, int thickness, ColorRef color) {
        if (width <= 0) return;
        const int64_t x0 = std::max<int64_t>(x, 0), x1 = std::min<int64_t>(x + width, dst.width());
        const int64_t y0 = std::max<int64_t>(top, 0), y1 = std::min<int64_t>(top + thickness, dst.height());
        if (x0 >= x1 || y0 >= y1) return;
        fillRect(dst, static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1 - x0), static_cast<int>(y1 - y0),
                 color);
    }

    FontRequest request_;
    FT_Face face_ = nullptr;
    std::string family_;
    bool emboldened_ = false;
    bool slanted_ = false;
    int cell_ = 0;
    int baseline_ = 0;
    int lineThickness_ = 1;
    int underlineTop_ = 0;
    int strikeThickness_ = 1;
    int strikeTop_ = 0;
    std::unordered_map<uint32_t, Glyph> glyphs_;
};

class FreeTypeText final : public Text {
public:
    explicit FreeTypeText(std::string fontsFolder) : fontsFolder_(std::move(fontsFolder)) {}

    std::unique_ptr<Font> createFont(const FontRequest& request) override {
        auto font = std::make_unique<FreeTypeFont>();
        if (!font->open(request, false, folder())) return nullptr;
        return font;
    }

    std::unique_ptr<Font> createFixedFont(int cellHeight = 12) override {
        FontRequest request;
        request.face = "monospace";
        request.height = cellHeight;
        auto font = std::make_unique<FreeTypeFont>();
        if (!font->open(request, true, folder())) return nullptr;
        return font;
    }

private:
    // Read at the first font, once.
    const FolderFonts* folder() {
        if (fontsFolder_.empty()) return nullptr;
        if (!folder_) folder_ = std::make_unique<FolderFonts>(FontSystem::get().library(), fontsFolder_);
        return folder_.get();
    }

    std::string fontsFolder_;
    std::unique_ptr<FolderFonts> folder_;
};

}  // namespace

std::unique_ptr<Text> createFreeTypeText(std::string fontsFolder) {
    return std::make_unique<FreeTypeText>(std::move(fontsFolder));
}

}  // namespace qt::platform
