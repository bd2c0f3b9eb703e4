// Any bytes as a sound file on a music and on an effect channel: each is
// opened, played, stopped and closed without a crash, a hang or memory
// beyond the effect's bound.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/platform/sdl2_mixer/mixer_sound.h"
#include "fuzz/support/input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Larger inputs add decoding time, not new paths.
    if (size > 64 * 1024) return -1;
    const std::string path = qt::fuzz::writeInputFile("fuzz_sound", ".snd", data, size);
    if (path.empty()) return 0;

    static const auto sound = qt::platform::createMixerSound(true);
    for (auto kind : {qt::platform::SoundChannel::Kind::music, qt::platform::SoundChannel::Kind::effect}) {
        const auto channel = sound->createChannel(kind);
        if (channel->open(path)) {
            channel->play(false);
            channel->stop();
        }
        channel->close();
    }
    return 0;
}
