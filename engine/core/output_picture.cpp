#include "engine/core/output_picture.h"

#include <algorithm>

#include "engine/core/engine.h"
#include "engine/core/main_window.h"

namespace qt::engine {

namespace {

constexpr platform::ColorRef kGrey = platform::rgb(64, 64, 64);

}  // namespace

void OutputPicture::Rect::add(const Rect& r) {
    if (r.empty()) return;
    if (empty()) {
        *this = r;
        return;
    }
    const int x1 = std::max(x + width, r.x + r.width), y1 = std::max(y + height, r.y + r.height);
    x = std::min(x, r.x);
    y = std::min(y, r.y);
    width = x1 - x;
    height = y1 - y;
}

OutputPicture::Rect OutputPicture::Rect::clippedTo(int w, int h) const {
    const int x0 = std::clamp(x, 0, w), y0 = std::clamp(y, 0, h);
    const int x1 = static_cast<int>(std::clamp<int64_t>(int64_t{x} + width, 0, w));
    const int y1 = static_cast<int>(std::clamp<int64_t>(int64_t{y} + height, 0, h));
    return {x0, y0, x1 - x0, y1 - y0};
}

void OutputPicture::update(Engine& engine) {
    const int mode = engine.scaleMode >= 0 ? engine.scaleMode : (engine.events.fullscreen() ? kScaleFit : kScaleNone);
    OutputLayout next = layoutFor(mode, engine.windowWidth, engine.windowHeight, engine.events.drawableWidth(),
                                  engine.events.drawableHeight());
    if (sized_ && next == layout_) return;
    if (!picture_.create(next.width, next.height, kGrey) ||
        !engine.clientPicture.create(next.outputWidth, next.outputHeight, kGrey)) {
        // No memory for the enlarged pictures: the window-size one still fits.
        next = layoutFor(kScaleNone, engine.windowWidth, engine.windowHeight, 0, 0);
        picture_.create(next.width, next.height, kGrey);
        engine.clientPicture.create(next.outputWidth, next.outputHeight, kGrey);
    }
    layout_ = next;
    sized_ = true;
    rebuild_ = true;
    wholeNext_ = true;
    prompt_ = {};
}

void OutputPicture::drawLine(Engine& engine, const PageLine& line) {
    engine.honbun.render(picture_, line, layout_);
    // The rows the line and its shadow can touch, the whole width: glyphs
    // may reach left of their cell.
    const int64_t cell = layout_.scaled(std::abs(int64_t{engine.honbun.fontRequest.height})) + 2;
    const int64_t top = layout_.scaled(line.y) - cell / 2;
    const int64_t y0 = std::clamp<int64_t>(top, 0, picture_.height());
    const int64_t y1 = std::clamp<int64_t>(top + cell * 2 + 2, 0, picture_.height());
    changed_.add({0, static_cast<int>(y0), picture_.width(), static_cast<int>(y1 - y0)});
}

void OutputPicture::addLine(Engine& engine, std::string_view textCp932, int64_t x, int64_t y) {
    lines_.push_back({std::string(textCp932), x, y});
    // Fast-forward draws the page once, where it ends.
    if (engine.fastForward) rebuild_ = true;
    else if (sized_ && !rebuild_) drawLine(engine, lines_.back());
}

void OutputPicture::presentationReplaced() {
    lines_.clear();
    rebuild_ = true;
}

void OutputPicture::beforeDrawingOnPresentation(Engine& engine) {
    platform::Surface* presentation = engine.screens.built() ? engine.screens.getDC(0) : nullptr;
    if (presentation != nullptr) {
        const OutputLayout windowSize;  // scale 1
        for (const PageLine& line : lines_) engine.honbun.render(*presentation, line, windowSize);
    }
    lines_.clear();
    rebuild_ = true;
}

void OutputPicture::paint(Engine& engine, bool whole) {
    update(engine);
    platform::Surface& client = engine.clientPicture;
    if (rebuild_) {
        rebuild_ = false;
        if (engine.screens.built()) {
            const platform::Surface& presentation = *engine.screens.getDC(0);
            platform::stretchCopy(picture_, 0, 0, picture_.width(), picture_.height(), presentation, 0, 0,
                                  presentation.width(), presentation.height());
        }
        for (const PageLine& line : lines_) drawLine(engine, line);
        changed_ = {0, 0, picture_.width(), picture_.height()};
    }
    Rect dirty = prompt_;
    if (!prompt_.empty()) {
        // The prompt may lie on a bar.
        platform::fillRect(client, prompt_.x, prompt_.y, prompt_.width, prompt_.height, kGrey);
        platform::copyBlock(client, prompt_.x, prompt_.y, prompt_.width, prompt_.height, picture_,
                            prompt_.x - layout_.x, prompt_.y - layout_.y);
    }
    if (!changed_.empty()) {
        platform::copyBlock(client, layout_.x + changed_.x, layout_.y + changed_.y, changed_.width, changed_.height,
                            picture_, changed_.x, changed_.y);
        dirty.add({layout_.x + changed_.x, layout_.y + changed_.y, changed_.width, changed_.height});
    }
    changed_ = {};
    prompt_ = {};
    if (!mainWindowExists(engine)) return;
    if (whole || wholeNext_) {
        wholeNext_ = false;
        engine.backend->present(client);
        return;
    }
    dirty = dirty.clippedTo(client.width(), client.height());
    if (!dirty.empty()) engine.backend->presentPart(client, dirty.x, dirty.y, dirty.width, dirty.height);
}

void OutputPicture::promptDrawn(Engine& engine, int x, int y, int width, int height) {
    const Rect r = Rect{x, y, width, height}.clippedTo(engine.clientPicture.width(), engine.clientPicture.height());
    if (r.empty()) return;
    prompt_.add(r);
    if (!mainWindowExists(engine)) return;
    if (wholeNext_) {
        wholeNext_ = false;
        engine.backend->present(engine.clientPicture);
    } else {
        engine.backend->presentPart(engine.clientPicture, r.x, r.y, r.width, r.height);
    }
}

}  // namespace qt::engine
