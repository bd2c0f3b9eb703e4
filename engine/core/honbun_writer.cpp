#include "engine/core/honbun_writer.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "common/ini_file.h"
#include "engine/core/compositing.h"
#include "engine/core/engine.h"
#include "engine/core/error_reports.h"
#include "engine/core/main_window.h"
#include "engine/core/messages.h"
#include "engine/core/settings.h"

namespace qt::engine {

namespace {

constexpr platform::ColorRef kTopBit = 0x80000000u;

int32_t saturated(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

// Far enough outside any surface that nothing drawn there shows, and near
// enough that the text's own cell arithmetic stays in range.
int onSurface(int64_t v) {
    constexpr int64_t kFar = int64_t{1} << 30;
    return static_cast<int>(std::clamp(v, -kFar, kFar));
}

bool malformed(Engine& engine, const Message& text) {
    showErrorBox(engine, text.cp932());
    destroyMainWindow(engine);
    return false;
}

}  // namespace

bool HonbunWriter::init(Engine& engine, platform::Surface* presentation) {
    engine_ = &engine;
    target_ = presentation;
    text_ = engine.text;

    ListSetting list;
    if (!readBasePos(list)) {
        return malformed(engine, msg::basePosBad);
    }
    baseX = list.number(0);
    baseY = list.number(1);
    resetPosition();

    char face[33];
    readIniString("honbun", "fontFamily", msg::defaultFontFamily.c_str(), face, sizeof face, kIniFile);
    if (!readFontSizeStyle(list)) {
        return malformed(engine, msg::fontSizeStyleBad);
    }
    const int32_t size = list.number(0);
    font_.reset();
    setFont(face, size, list.fields[1], static_cast<uint8_t>(list.number(2)));
    linePitch = linePitchFor(size);

    if (!readListSetting("honbun", "fontColors", "&Hffffff,,&Hff0000,,&H80000000", 32, 3, 8, list)) {
        return malformed(engine, msg::fontColorsBad);
    }
    setColors(static_cast<platform::ColorRef>(list.number(0)), static_cast<platform::ColorRef>(list.number(1)),
              static_cast<platform::ColorRef>(list.number(2)));

    lineSpeed = readIniInt("honbun", "lineSpeed", 300, kIniFile);

    char rect[33];
    readIniString("honbun", "darkBackRECT", "", rect, sizeof rect, kIniFile);
    if (rect[0] == '\0') {
        dark = {saturated(int64_t{baseX} - 16), saturated(int64_t{baseY} - 16),
                saturated(int64_t{engine.screenWidth} - 8), saturated(int64_t{engine.screenHeight} - 8), 2};
    } else {
        if (!readListSetting("honbun", "darkBackRECT", "", 32, 5, 8, list)) {
            return malformed(engine, msg::darkBackRectBad);
        }
        dark = {list.number(0), list.number(1), list.number(2), list.number(3), list.number(4)};
    }
    return true;
}

void HonbunWriter::setFont(const char* face, int32_t height, const char* style, uint8_t flags) {
    uint8_t digits[4] = {0, 0, 0, 0};
    for (int i = 0; i < 4 && style[i] != '\0'; ++i) {
        digits[i] = static_cast<uint8_t>(static_cast<uint8_t>(style[i]) - '0');
    }
    fontRequest.face = face;
    fontRequest.height = height;
    fontRequest.weight = digits[0] * 100;
    fontRequest.italic = digits[1] != 0;
    fontRequest.underline = digits[2] != 0;
    fontRequest.strikeOut = digits[3] != 0;
    fontRequest.antialiased = (flags & 1u) != 0;
    font_ = text_ != nullptr ? text_->createFont(fontRequest) : nullptr;
    scaledFont_.reset();
}

platform::Font* HonbunWriter::fontFor(const OutputLayout& layout) {
    if (layout.num == layout.den || !font_ || text_ == nullptr) return font_.get();
    if (!scaledFont_ || scaledNum_ != layout.num || scaledDen_ != layout.den) {
        platform::FontRequest request = fontRequest;
        request.height = static_cast<int>(std::clamp<int64_t>(layout.scaled(request.height), INT32_MIN, INT32_MAX));
        scaledFont_ = text_->createFont(request);
        scaledNum_ = layout.num;
        scaledDen_ = layout.den;
    }
    return scaledFont_ ? scaledFont_.get() : font_.get();
}

void HonbunWriter::setColors(platform::ColorRef text, platform::ColorRef shadow, platform::ColorRef background) {
    textColor = text;
    shadowColor = shadow;
    opaque = (background & kTopBit) == 0;
    backgroundColor = background;
}

void HonbunWriter::drawLine(const char* textCp932) {
    if (target_ == nullptr || !font_) return;
    engine_->output.addLine(*engine_, std::string_view(textCp932, std::strlen(textCp932)), curX, curY);
}

void HonbunWriter::render(platform::Surface& dst, const PageLine& line, const OutputLayout& layout) {
    platform::Font* font = fontFor(layout);
    if (font == nullptr) return;
    const std::string_view text = line.textCp932;
    const int64_t x = layout.scaled(line.x), y = layout.scaled(line.y);
    if ((shadowColor & kTopBit) == 0 && !opaque) {
        font->draw(dst, onSurface(x + 1), onSurface(y + 1), text, shadowColor, std::nullopt);
    }
    std::optional<platform::ColorRef> background;
    if (opaque) background = backgroundColor;
    font->draw(dst, onSurface(x), onSurface(y), text, textColor, background);
}

void HonbunWriter::nextLine() {
    // Endless pages at the largest pitch stay far below the surface.
    constexpr int64_t kFarthest = int64_t{1} << 62;
    curY = std::clamp<int64_t>(curY + linePitch, -kFarthest, kFarthest);
}

void HonbunWriter::newPage(Engine& engine) {
    resetPosition();
    restorePresentation(engine);
}

}  // namespace qt::engine
