#include "preprocessor/scenario_check.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string_view>

#include "common/ini_file.h"
#include "common/numeral.h"
#include "common/paths.h"
#include "engine/rules/command_rules.h"
#include "engine/rules/command_table.h"
#include "engine/rules/engine_settings.h"
#include "engine/rules/field_reader.h"
#include "engine/rules/scenario_messages.h"
#include "preprocessor/pre_messages.h"

namespace qt::pre {

namespace {

namespace rules = qt::engine;
namespace emsg = qt::engine::msg;

// The reader's fields as 0-ended texts, as the engine's reader hands them out.
class Fields {
public:
    explicit Fields(const std::string& text) { reader_.reset(text.data(), text.size()); }
    bool atEnd() const { return reader_.atEnd(); }
    const char* next() {
        const auto field = reader_.next();
        if (!field) return nullptr;
        field_.assign(field->data(), field->size());
        return field_.c_str();
    }
    size_t start() const { return reader_.fieldStart(); }

private:
    rules::FieldReader reader_;
    std::string field_;
};

}  // namespace

ScenarioCheck::ScenarioCheck(bool engineSettings)
    : screenCount_(engineSettings ? rules::userScreenCount(rules::readUserScreenCount()) : INT16_MAX),
      clearColor_(static_cast<platform::ColorRef>(readIniNumber("screen", "ClearColor", 0xFF00FF, rules::kIniFile))),
      sound_(platform::createSilentSound()),
      channel_(sound_->createChannel(platform::SoundChannel::Kind::effect)) {}

// As the engine's reader opens a scenario and tests its first field; the
// first 64 KiB hold that field's first bytes whatever its length.
bool ScenarioCheck::readsAsScenario(const char* path) {
    const auto disk = resolveExisting(path);
    if (!disk) return false;
    const int fd = ::open(disk->c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    std::string head;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        head.resize(64 * 1024);
        const ssize_t n = ::read(fd, head.data(), head.size());
        head.resize(n > 0 ? static_cast<size_t>(n) : 0);
    }
    ::close(fd);
    Fields fields(head);
    return rules::isHeaderField(fields.next());
}

bool ScenarioCheck::imageLoads(const char* path) {
    const auto [at, added] = images_.try_emplace(path, false);
    if (added) at->second = rules::loadImageFile(path, image_, clearColor_);
    return at->second;
}

bool ScenarioCheck::soundOpens(const char* path) {
    const auto [at, added] = sounds_.try_emplace(path, false);
    if (added) {
        at->second = rules::openSoundFile(*channel_, path);
        channel_->close();
    }
    return at->second;
}

void ScenarioCheck::walk(const std::string& scenario, const ConversionRecord& record, const std::string& sourcePath,
                         CheckReport& report) {
    Fields fields(scenario);
    rules::CommandArgs args;
    fields.next();  // the header, which the conversion always writes
    int32_t line = 1;
    const auto error = [&](const std::string& text) { report.add(CheckReport::Kind::error, sourcePath, line, text); };
    while (!fields.atEnd()) {
        const char* field = fields.next();
        if (field == nullptr) break;
        if (field[0] != '/') continue;  // body text
        line = record.sourceLine(fields.start());
        const std::string word(field + 1);
        const rules::CommandWord* command = rules::findCommand(word.c_str());
        if (command == nullptr) {
            error(emsg::unknownCommand.cp932() + word);
            // Skipping to the end of the file ends the engine.
            if (rules::skipUnknownCommand(fields)) return;
            continue;
        }
        switch (command->before) {
            case rules::Before::nothing: break;
            case rules::Before::skipField: fields.next(); break;
            case rules::Before::gather:
                if (!rules::gatherArguments(fields, args)) error(emsg::tooManyArguments.cp932());
                break;
        }
        switch (command->command) {
            case rules::Command::end: return;  // nothing after it is played
            case rules::Command::image:
                if (!rules::imageCountAccepted(args.count)) {
                    error(emsg::imageCountBad.cp932());
                } else if (!imageLoads(args.slot(0))) {
                    error(emsg::imageLoadFailed.cp932() + args.slot(0));
                }
                break;
            case rules::Command::curid:
                if (!rules::isValidScreenId(numeralInt(args.slot(0)), screenCount_)) error(emsg::curidBad.cp932());
                break;
            case rules::Command::bgm:
            case rules::Command::se:
                switch (rules::soundTarget(args.slot(0))) {
                    case rules::SoundTarget::badControl: error(emsg::soundBadCommand.cp932()); break;
                    case rules::SoundTarget::file:
                        if (!soundOpens(args.slot(0))) error(emsg::soundOpenFailed.cp932() + args.slot(0));
                        break;
                    default: break;
                }
                break;
            case rules::Command::next: {
                const char* target = args.slot(0);
                if (produced_ && produced_(target)) return;  // converted with the game: the engine goes on there
                if (!rules::nextTargetExists(target)) {
                    error(emsg::nextBadPath.cp932());
                    break;
                }
                if (!readsAsScenario(target)) {
                    error(emsg::notPreprocessed.cp932());
                } else if (stale_ && stale_(target)) {
                    report.add(CheckReport::Kind::warning, sourcePath, line, msg::checkNextNotConverted.cp932());
                }
                return;
            }
            case rules::Command::iro:
                if (!rules::iroCountAccepted(args.count)) error(emsg::iroCountBad.cp932());
                break;
            default: break;
        }
    }
}

}  // namespace qt::pre
