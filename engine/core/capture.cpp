#include "engine/core/capture.h"

#include <cstdio>
#include <string>

#include "engine/core/engine.h"
#include "engine/core/error_reports.h"
#include "engine/core/messages.h"
#include "engine/platform/pixels/image.h"

namespace qt::engine {

namespace {

void save(Engine& engine, const std::string& name) {
    const platform::Surface& picture = engine.clientPicture;
    const std::string path = engine.captureDir + "/" + name;
    if (!platform::savePng(picture, path)) {
        note(msg::captureFailed.utf8() + path);
    }
}

}  // namespace

void captureWaitIfDue(Engine& engine) {
    if (engine.captureDir.empty() || engine.capturedSerial >= engine.waitSerial) return;
    engine.capturedSerial = engine.waitSerial;
    char name[32];
    std::snprintf(name, sizeof name, "wait-%04u.png", engine.waitSerial);
    save(engine, name);
}

void captureEnd(Engine& engine) {
    if (engine.captureDir.empty()) return;
    save(engine, "end.png");
}

}  // namespace qt::engine
