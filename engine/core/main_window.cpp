#include "engine/core/main_window.h"

#include <string>

#include "engine/core/engine.h"
#include "engine/core/messages.h"

namespace qt::engine {

bool createMainWindow(Engine& engine, const platform::WindowSpec& shape) {
    if (engine.events.windowExists()) return false;
    platform::Surface picture;
    if (!picture.create(shape.pictureWidth, shape.pictureHeight, platform::rgb(64, 64, 64))) return false;
    if (!engine.backend->createWindow(shape)) return false;
    engine.clientPicture = std::move(picture);
    // Until the backend says otherwise, the drawable area is the client area.
    engine.events.sizeChanged(shape.clientWidth, shape.clientHeight);
    engine.events.setSource(engine.backend);
    engine.events.windowCreated();
    return true;
}

void showMainWindow(Engine& engine) {
    if (!engine.events.windowExists()) return;
    engine.backend->showWindow();
    engine.events.windowShown();
}

void destroyMainWindow(Engine& engine) {
    if (!engine.events.windowExists()) return;
    engine.backend->destroyWindow();
    engine.events.windowDestroyed();
}

bool mainWindowExists(const Engine& engine) { return engine.events.windowExists(); }

void presentMainWindow(Engine& engine) {
    if (engine.events.windowExists()) engine.backend->present(engine.clientPicture);
}

void showLineInTitle(Engine& engine, const char* fileCp932, int32_t line) {
    if (!engine.events.windowExists()) return;
    engine.backend->setTitle(engine.titleCp932 + msg::titleSeparator.cp932() + fileCp932 + ":" + std::to_string(line));
}

}  // namespace qt::engine
