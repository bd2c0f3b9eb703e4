#pragma once
// The music (bgm) and sound-effect (se) commands, one channel each.
#include <memory>

#include "engine/rules/command_args.h"
#include "engine/platform/sound.h"

namespace qt::engine {

struct Engine;

class SoundCommands {
public:
    // Both channels, from the sound chosen at start-up (none: no channels).
    void construct(platform::Sound* sound);
    void bgm(Engine& engine, const CommandArgs& args);
    void se(Engine& engine, const CommandArgs& args);

    // Fast-forward: the channels keep their states without a sound. At its
    // end the music plays on from the start, and an effect only when it
    // loops: one played once would have ended before the page was reached.
    void mute();
    void unmute();

    platform::SoundChannel* music() { return music_.get(); }
    platform::SoundChannel* effect() { return effect_.get(); }

private:
    void command(Engine& engine, const CommandArgs& args, platform::SoundChannel& channel, bool loopsByDefault);

    std::unique_ptr<platform::SoundChannel> music_, effect_;
};

}  // namespace qt::engine
