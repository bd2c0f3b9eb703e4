// Any bytes as a sound file on a music and on an effect channel: each is
// opened, played, stopped and closed without a crash, a hang or memory
// beyond the effect's bound.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/platform/sdl2_mixer/mixer_sound.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Larger inputs add decoding time, not new paths.
    if (size > 64 * 1024) return -1;
    // One file per process, removed when the process ends.
    static const struct SoundFile {
        std::string path = "/tmp/fuzz_sound_" + std::to_string(::getpid()) + ".snd";
        ~SoundFile() { std::remove(path.c_str()); }
    } file;
    std::FILE* f = std::fopen(file.path.c_str(), "wb");
    if (f == nullptr) return 0;
    const bool written = std::fwrite(data, 1, size, f) == size;
    if (std::fclose(f) != 0 || !written) return 0;

    static const auto sound = qt::platform::createMixerSound(true);
    for (auto kind : {qt::platform::SoundChannel::Kind::music, qt::platform::SoundChannel::Kind::effect}) {
        const auto channel = sound->createChannel(kind);
        if (channel->open(file.path)) {
            channel->play(false);
            channel->stop();
        }
        channel->close();
    }
    return 0;
}
