// The music (bgm) and sound-effect (se) commands, one channel each.
#include <optional>
#include <string>

#include "common/paths.h"
#include "common/sjis.h"
#include "engine/core/engine.h"
#include "engine/core/error_reports.h"
#include "engine/core/messages.h"
#include "engine/interpreter/interpreter.h"

namespace qt::engine {

void Interpreter::constructSound() {
    if (engine_.sound == nullptr) return;
    music_ = engine_.sound->createChannel(platform::SoundChannel::Kind::music);
    effect_ = engine_.sound->createChannel(platform::SoundChannel::Kind::effect);
}

void Interpreter::soundCommand(platform::SoundChannel& channel, bool loopsByDefault) {
    const char* target = commandArgs.slot(0);
    if (target[0] == ':') {
        if (sameText(target + 1, "stop") == 0) {
            channel.stop();
            return;
        }
        if (sameText(target + 1, "play") != 0) {
            showErrorBox(engine_, msg::soundBadCommand.cp932());
            return;
        }
    } else {
        channel.stop();
        const std::optional<std::string> disk = resolveExisting(target);
        if (!disk || !channel.open(*disk)) {
            channel.close();
            showErrorBox(engine_, msg::soundOpenFailed.cp932() + target);
            return;
        }
    }
    const bool loop = commandArgs.slot(1)[0] == '1' || (commandArgs.count == 1 && loopsByDefault);
    channel.play(loop);
}

void Interpreter::bgm() {
    if (music_) soundCommand(*music_, true);
}

void Interpreter::se() {
    if (effect_) soundCommand(*effect_, false);
}

}  // namespace qt::engine
