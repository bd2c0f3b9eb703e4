#include "engine/core/reload.h"

#include <unistd.h>

#include <optional>
#include <string>

#include "common/cp932.h"
#include "common/paths.h"
#include "engine/core/engine.h"
#include "engine/core/main_window.h"
#include "engine/core/message_box.h"
#include "engine/core/messages.h"

namespace qt::engine {

namespace {

// Console lines as a box shows them.
std::string boxText(const std::string& utf8) {
    std::string text;
    for (const char c : utf8) {
        if (c == '\r') continue;
        text += c == '\t' ? ' ' : c;
    }
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return utf8ToCp932(text);
}

}  // namespace

void reloadScenarios(Engine& engine) {
    if (!engine.convertSources || !mainWindowExists(engine)) return;
    std::string file;
    int32_t line = 0;
    engine.host->pageStart(file, line);
    // qPre refuses to replace a scenario that the engine holds.
    engine.host->unlockScenario();
    std::string messages;
    if (engine.convertSources(messages) != 0) {
        engine.host->relockScenario();
        showMessageBox(engine, msg::reloadCaption.cp932(), boxText(messages), platform::BoxIcon::exclamation);
        return;
    }
    // A page whose file is gone starts the game again from its beginning.
    engine.reloaded = true;
    engine.restartFrom.clear();
    if (std::optional<std::string> disk = resolveExisting(file)) {
        char folder[4096];  // the engine's folder, where the restart starts too
        if ((*disk)[0] != '/' && ::getcwd(folder, sizeof folder) != nullptr) *disk = std::string(folder) + "/" + *disk;
        engine.restartFrom = *disk + ":" + std::to_string(line);
    }
    engine.runState = kRestarting;
    destroyMainWindow(engine);
}

}  // namespace qt::engine
