#include "engine/core/compositing.h"

#include <bit>
#include <cstring>

#include "engine/core/engine.h"
#include "engine/core/main_window.h"
#include "engine/core/error_reports.h"
#include "engine/core/messages.h"

namespace qt::engine {

namespace {

using platform::Surface;

void stretchWhole(Surface& dst, const Surface& src) {
    platform::stretchCopy(dst, 0, 0, dst.width(), dst.height(), src, 0, 0, src.width(), src.height());
}

void transparentWhole(Surface& dst, const Surface& src, platform::ColorRef clear) {
    platform::transparentCopy(dst, 0, 0, dst.width(), dst.height(), src, 0, 0, src.width(), src.height(), clear);
}

}  // namespace

void allblt(Engine& engine, bool throughComposition) {
    MemoryDCs& screens = engine.screens;
    if (!screens.built()) return;
    screens.presentationCovered();  // covered whole below
    Surface* presentation = screens.getDC(0);
    Surface* back = screens.getDC(1);
    Surface* front = screens.getDC(2);
    const platform::ColorRef clear = screens.getClearColor();
    if (throughComposition) {
        Surface* composition = screens.getDC(-1);
        platform::copyBlock(*composition, 0, 0, composition->width(), composition->height(), *back, 0, 0);
        transparentWhole(*composition, *front, clear);
        const DarkRect& r = engine.honbun.dark;
        if (r.x1 >= 0) darkHonbun(engine, r.x1, r.y1, r.x2, r.y2, r.shift);
        stretchWhole(*presentation, *composition);
    } else {
        stretchWhole(*presentation, *back);
        transparentWhole(*presentation, *front, clear);
    }
    engine.output.presentationReplaced();
    engine.events.invalidate();
}

void darkHonbun(Engine& engine, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t shift) {
    Surface* composition = engine.screens.built() ? engine.screens.getDC(-1) : nullptr;
    const int64_t w = engine.screenWidth, h = engine.screenHeight;
    const bool inside = 0 <= x1 && x1 <= x2 && x2 <= w - 1 && 0 <= y1 && y1 <= y2 && y2 <= h - 1;
    if (!inside) {
        showErrorBox(engine, msg::darkRangeBad.cp932());
        return;
    }
    if (composition == nullptr) return;
    // Whole pixels at once: shifting the little-endian word moves bits of a
    // byte into the one below it, and the mask drops them again (and the
    // fourth byte), so each colour byte is shifted on its own.
    static_assert(std::endian::native == std::endian::little);
    const unsigned s = static_cast<unsigned>(shift) & 31u;
    const uint32_t keep = s >= 8 ? 0u : (0xFFu >> s) * 0x010101u;
    const size_t stride = static_cast<size_t>(w) * 4;
    uint8_t* row = composition->bits() + static_cast<size_t>(y1) * stride + static_cast<size_t>(x1) * 4;
    const size_t count = static_cast<size_t>(x2 - x1) + 1;
    for (int32_t y = y1; y <= y2; ++y, row += stride) {
        for (size_t i = 0; i < count; ++i) {
            uint32_t pixel;
            std::memcpy(&pixel, row + i * 4, 4);
            pixel = (pixel >> s) & keep;
            std::memcpy(row + i * 4, &pixel, 4);
        }
    }
}

void restorePresentation(Engine& engine) {
    if (!engine.screens.built()) return;
    engine.output.presentationReplaced();
    if (engine.fastForward) {
        engine.screens.restorePresentationLater();
        return;
    }
    stretchWhole(*engine.screens.getDC(0), *engine.screens.getDC(-1));
}

void paintWindow(Engine& engine, bool whole) {
    // Fast-forward paints once, where it ends.
    if (!mainWindowExists(engine) || engine.fastForward) return;
    engine.output.paint(engine, whole);
}

void repaintWindow(Engine& engine) {
    if (!mainWindowExists(engine)) return;
    // A paint already due (an exposure, a new size) shows everything.
    const bool due = engine.events.paintPending();
    engine.events.invalidate();
    paintWindow(engine, due);
    engine.events.validate();
}

}  // namespace qt::engine
