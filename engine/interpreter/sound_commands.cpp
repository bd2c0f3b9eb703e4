// The music (bgm) and sound-effect (se) commands, one channel each.
#include "engine/core/engine.h"
#include "engine/core/error_reports.h"
#include "engine/core/messages.h"
#include "engine/interpreter/sound_commands.h"
#include "engine/rules/command_rules.h"

namespace qt::engine {

void SoundCommands::construct(platform::Sound* sound) {
    if (sound == nullptr) return;
    music_ = sound->createChannel(platform::SoundChannel::Kind::music);
    effect_ = sound->createChannel(platform::SoundChannel::Kind::effect);
}

void SoundCommands::command(Engine& engine, const CommandArgs& args, platform::SoundChannel& channel,
                            bool loopsByDefault) {
    const char* target = args.slot(0);
    switch (soundTarget(target)) {
        case SoundTarget::stop: channel.stop(); return;
        case SoundTarget::play: break;
        case SoundTarget::badControl: showErrorBox(engine, msg::soundBadCommand.cp932()); return;
        case SoundTarget::file:
            channel.stop();
            if (!openSoundFile(channel, target)) {
                channel.close();
                showErrorBox(engine, msg::soundOpenFailed.cp932() + target);
                return;
            }
            break;
    }
    const bool loop = args.slot(1)[0] == '1' || (args.count == 1 && loopsByDefault);
    channel.play(loop);
}

void SoundCommands::mute() {
    if (music_) music_->mute();
    if (effect_) effect_->mute();
}

void SoundCommands::unmute() {
    if (music_) music_->unmute(true);
    if (effect_) effect_->unmute(effect_->loops());
}

void SoundCommands::bgm(Engine& engine, const CommandArgs& args) {
    if (music_) command(engine, args, *music_, true);
}

void SoundCommands::se(Engine& engine, const CommandArgs& args) {
    if (effect_) command(engine, args, *effect_, false);
}

}  // namespace qt::engine
