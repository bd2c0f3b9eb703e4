#pragma once
// Text: fonts asked for by a Windows face name and drawn onto surfaces. The
// real implementation draws FreeType glyphs of faces found through fontconfig
// (freetype/); the null one draws nothing and measures every byte alike.
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/platform/pixels/surface.h"

namespace qt::platform {

struct FontRequest {
    std::string face;  // CP932 face name, e.g. "ＭＳ Ｐゴシック"
    int height = 20;   // positive: the character cell height in pixels
    int weight = 0;    // 0 = default; >= 600 is bold
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    bool antialiased = false;  // otherwise one-bit glyphs
};

class Font {
public:
    virtual ~Font() = default;

    // Draws CP932 text with the cell's top-left corner at (x, y). With a
    // background colour the text cell (advance width x cell height) is
    // filled first; without one only the glyphs are drawn. Clipped to `dst`.
    virtual void draw(Surface& dst, int x, int y, std::string_view cp932, ColorRef color,
                      std::optional<ColorRef> background) = 0;

    // Advance width of the text in pixels.
    virtual int textWidth(std::string_view cp932) = 0;
    virtual int cellHeight() const = 0;
    // Rows from the cell's top to the baseline.
    virtual int ascent() const = 0;
    // The family of the face in use (UTF-8), after mapping and fallback.
    virtual std::string familyName() const = 0;
};

class Text {
public:
    virtual ~Text() = default;
    // Never fails while any Japanese face is installed: an unknown face name
    // falls back to an installed one. Null only when no face can be loaded.
    virtual std::unique_ptr<Font> createFont(const FontRequest& request) = 0;
    // The fixed-pitch face used for the key-wait prompt (a cell of
    // `cellHeight` pixels, 12 unless enlarged; one-bit glyphs; a face that
    // can show Japanese).
    virtual std::unique_ptr<Font> createFixedFont(int cellHeight = 12) = 0;
};

// Fonts that draw no glyphs (a background cell still is filled): a single
// byte is half the cell height wide. For runs where text cannot or need not
// be seen.
std::unique_ptr<Text> createNullText();

}  // namespace qt::platform
