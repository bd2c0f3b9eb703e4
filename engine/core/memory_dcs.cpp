#include "engine/core/message_box.h"
#include "engine/core/memory_dcs.h"

#include <unistd.h>

#include <cstdint>
#include <new>
#include <string>

#include "engine/core/engine.h"
#include "engine/core/error_reports.h"
#include "engine/core/messages.h"

namespace qt::engine {

namespace {

bool makeScreen(Engine& engine, platform::Surface& surface, int32_t id, int32_t width, int32_t height,
                platform::ColorRef fill) {
    if (surface.create(width, height, fill)) return true;
    std::string text = msg::screenCreateFailed.cp932();
    text += std::to_string(id) + " (" + std::to_string(width) + "x" + std::to_string(height) + ")";
    errexit(engine, text);
    return false;
}

uint64_t screenBytes(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return 0;
    return static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 4u;
}

uint64_t physicalMemory() {
    const long pages = ::sysconf(_SC_PHYS_PAGES), size = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || size <= 0) return UINT64_MAX;
    return static_cast<uint64_t>(pages) * static_cast<uint64_t>(size);
}

}  // namespace

void MemoryDCs::create(Engine& engine, int32_t count, platform::ColorRef clearColor) {
    engine_ = &engine;
    clearColor_ = clearColor;
    const int32_t w = engine.screenWidth, h = engine.screenHeight;

    if (!makeScreen(engine, composition_, -1, w, h, clearColor)) return;
    if (!makeScreen(engine, spare_, -2, w, h, clearColor)) return;

    count_ = userScreenCount(count);
    if (static_cast<int16_t>(count) < 2) {
        showMessageBox(engine, msg::memoryDCsCaption.cp932(), msg::tooFewScreens.cp932(),
                       platform::BoxIcon::exclamation);
    }
    // Filling a screen touches all of its memory: a table larger than the
    // machine would end in the out-of-memory killer instead of a report.
    const uint64_t bytes = (static_cast<uint64_t>(count_) + 2) * screenBytes(w, h) +
                           screenBytes(engine.windowWidth, engine.windowHeight);
    if (bytes > physicalMemory() / 2) table_.reset();
    else table_.reset(new (std::nothrow) platform::Surface[static_cast<size_t>(count_) + 1]);
    if (!table_) {
        errexit(engine, msg::screensAllocFailed.cp932());
        return;
    }
    for (int32_t id = 1; id <= count_; ++id) {
        if (!makeScreen(engine, table_[id], id, w, h, clearColor)) return;
    }
    if (!makeScreen(engine, table_[0], 0, engine.windowWidth, engine.windowHeight, clearColor)) {
        return;
    }
    curID = 2;
    built_ = true;
}

platform::Surface* MemoryDCs::getDC(int32_t id) {
    if (!isValidId(id)) {
        if (engine_ != nullptr) {
            showErrorBox(*engine_, msg::screenIdOutOfRange.cp932() + std::to_string(id));
        }
        return nullptr;
    }
    if (!built_) return nullptr;
    if (restorePending_ && (id == 0 || id == -1)) {
        restorePending_ = false;
        platform::Surface& presentation = table_[0];
        platform::stretchCopy(presentation, 0, 0, presentation.width(), presentation.height(), composition_, 0, 0,
                              composition_.width(), composition_.height());
    }
    if (id == -1) return &composition_;
    if (id == -2) return &spare_;
    return &table_[id];
}

std::pair<int32_t, int32_t> MemoryDCs::getScreenSize(int32_t id) const {
    if (id == kCurrentScreen) id = curID;
    if (id == 0 && engine_ != nullptr) return {engine_->windowWidth, engine_->windowHeight};
    if (engine_ == nullptr) return {0, 0};
    return {engine_->screenWidth, engine_->screenHeight};
}

}  // namespace qt::engine
