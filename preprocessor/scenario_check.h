#pragma once
// A converted scenario walked as the engine plays it, field by field through
// the engine's own rules (engine/rules), reporting what the engine would
// report, at the source line the field came from. Nothing is drawn or
// played: images are loaded and sounds opened on a silent channel only to
// see that they can be.
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "engine/platform/pixels/surface.h"
#include "engine/platform/sound.h"
#include "preprocessor/check_report.h"
#include "preprocessor/converter.h"

namespace qt::pre {

class ScenarioCheck {
public:
    // Reads the settings of qRun.ini the walk depends on (the working folder
    // must be the engine's); without them, screen IDs are taken as the
    // largest table allows.
    explicit ScenarioCheck(bool engineSettings);

    // Whether `cp932Path`, a next target that does not exist, is a scenario
    // the checked sources produce; set before walking.
    void setProduced(std::function<bool(const char* cp932Path)> produced) { produced_ = std::move(produced); }
    // Whether the target that does exist comes from none of them (a stale
    // file); unset, nothing is said about existing targets.
    void setStale(std::function<bool(const char* cp932Path)> stale) { stale_ = std::move(stale); }

    // `scenario` is the converted text of `sourcePath`.
    void walk(const std::string& scenario, const ConversionRecord& record, const std::string& sourcePath,
              CheckReport& report);

private:
    bool readsAsScenario(const char* path);
    bool imageLoads(const char* path);
    bool soundOpens(const char* path);

    int16_t screenCount_;
    platform::ColorRef clearColor_;
    std::unique_ptr<platform::Sound> sound_;
    std::unique_ptr<platform::SoundChannel> channel_;
    platform::Surface image_;
    // Every command loads its file again; the answer is the same each time.
    std::map<std::string, bool> images_, sounds_;
    std::function<bool(const char*)> produced_, stale_;
};

}  // namespace qt::pre
