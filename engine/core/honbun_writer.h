#pragma once
// Body text: one font and one set of colours for the whole run, each line
// drawn on the presentation screen one line pitch below the previous one.
#include <cstdint>
#include <memory>

#include "engine/core/output_layout.h"
#include "engine/platform/text.h"
#include "engine/platform/pixels/surface.h"

namespace qt::engine {

struct Engine;
struct PageLine;

// Rectangle of the composition screen darkened behind the text (inclusive).
struct DarkRect {
    int32_t x1 = 8, y1 = 8, x2 = 312, y2 = 232, shift = 2;
};

class HonbunWriter {
public:
    // Reads the honbun keys in order. A malformed one is reported, the
    // window destroyed and false returned; the remaining keys are not read.
    bool init(Engine& engine, platform::Surface* presentation);

    // `style` holds four digit characters; missing ones (a shorter text)
    // count as "0".
    void setFont(const char* face, int32_t height, const char* style, uint8_t flags);
    void setColors(platform::ColorRef text, platform::ColorRef shadow, platform::ColorRef background);

    // Draws the line at the current position: on the picture the window
    // shows, at its scale (OutputPicture).
    void drawLine(const char* textCp932);
    // The line with its shadow onto `dst`, positions and font size scaled by
    // the layout; the shadow stays one pixel right and down.
    void render(platform::Surface& dst, const PageLine& line, const OutputLayout& layout);
    void nextLine();
    void resetPosition() {
        curX = baseX;
        curY = baseY;
    }
    // resetPosition, then restorePresentation.
    void newPage(Engine& engine);

    int32_t baseX = 24, baseY = 24;
    // Wider than the settings: a page of lines from an extreme base or
    // pitch must not overflow.
    int64_t curX = 24, curY = 24;
    int32_t linePitch = 40;
    platform::ColorRef textColor = 0xffffff, shadowColor = 0xff0000;
    bool opaque = false;  // a background colour fills each line's cell
    platform::ColorRef backgroundColor = 0;
    DarkRect dark;
    int32_t lineSpeed = 300;
    platform::FontRequest fontRequest;  // as last asked for

private:
    platform::Font* fontFor(const OutputLayout& layout);

    Engine* engine_ = nullptr;
    platform::Surface* target_ = nullptr;
    platform::Text* text_ = nullptr;
    std::unique_ptr<platform::Font> font_;
    std::unique_ptr<platform::Font> scaledFont_;  // for the scale below
    int64_t scaledNum_ = 1, scaledDen_ = 1;
};

}  // namespace qt::engine
