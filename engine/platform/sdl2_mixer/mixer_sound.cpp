#include "engine/platform/sdl2_mixer/mixer_sound.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/platform/pixels/midi_length.h"
#include "engine/platform/platform_messages.h"

namespace qt::platform {

namespace {

constexpr const char* kSoundFonts[] = {"/usr/share/sounds/sf2/TimGM6mb.sf2", "/usr/share/sounds/sf2/default-GM.sf2",
                                       "/usr/share/sounds/sf2/FluidR3_GM.sf2"};
constexpr const char* kTimidityConfigs[] = {"/etc/timidity/timidity.cfg", "/etc/timidity/timgm6mb.cfg"};

// The process's one audio output.
class Audio {
public:
    static Audio& get() {
        static Audio audio;
        return audio;
    }

    // Taken when audio starts, on first use.
    void chooseOutput(bool silent) {
        if (!started_) silent_ = silent;
    }

    // While any sound object lives the output may be open; when the last
    // one goes, the device is closed (a restart in place starts clean).
    void acquire() { ++users_; }
    void release() {
        if (--users_ > 0 || !started_) return;
        if (open_) {
            Mix_CloseAudio();
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        }
        started_ = open_ = false;
        nextChannel_ = 0;
    }

    // Starts audio on first use; false only when not even the dummy driver
    // can be had.
    bool ready() {
        if (!started_) start();
        return open_;
    }

    int newEffectChannel() {
        const int channel = nextChannel_++;
        if (open_ && channel >= Mix_AllocateChannels(-1)) Mix_AllocateChannels(channel + 8);
        return channel;
    }

private:
    void start() {
        started_ = true;
        if (silent_) SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
        if (!silent_ && openDevice()) {
            open_ = true;
        } else {
            const std::string why = silent_ ? std::string() : SDL_GetError();
            SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
            open_ = openDevice();
            if (!silent_) {
                std::string line = msg::noAudioDevice.utf8();
                if (!why.empty()) line += " (" + why + ")";
                line += '\n';
                std::fwrite(line.data(), 1, line.size(), stderr);
                std::fflush(stderr);
            }
        }
        if (!open_) return;
        Mix_AllocateChannels(8);
        // MIDI needs a General MIDI sound font; use the system's unless the
        // user named one.
        if (!SDL_getenv("SDL_SOUNDFONTS")) {
            for (const char* font : kSoundFonts) {
                if (access(font, R_OK) == 0) {
                    Mix_SetSoundFonts(font);
                    break;
                }
            }
        }
        for (const char* cfg : kTimidityConfigs) {
            if (access(cfg, R_OK) == 0) {
                Mix_SetTimidityCfg(cfg);
                break;
            }
        }
    }

    static bool openDevice() {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
        if (Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 2048) != 0) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return false;
        }
        return true;
    }

    bool started_ = false;
    bool silent_ = false;
    bool open_ = false;
    int nextChannel_ = 0;
    int users_ = 0;
};

// Effects are decoded whole when opened: a file that plays for hours would
// take that long and all the memory there is. Longer ones are refused.
constexpr double kLongestEffectSeconds = 600;
constexpr long kLongestMidiFile = 16L << 20;

// MIDI files are read here first: the synthesiser takes a header without
// tracks for an empty song, and its playing time is not known otherwise.
MidiLength readMidi(const std::string& path) {
    std::string bytes;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char head[4];
        if (std::fread(head, 1, 4, f) == 4 && std::memcmp(head, "MThd", 4) == 0 && std::fseek(f, 0, SEEK_END) == 0) {
            const long size = std::ftell(f);
            if (size > 0 && size <= kLongestMidiFile && std::fseek(f, 0, SEEK_SET) == 0) {
                bytes.resize(static_cast<size_t>(size));
                bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
            } else {
                bytes = "MThd";  // too large to be a song: broken
            }
        }
        std::fclose(f);
    }
    return midiLength(bytes);
}

// Compressed files say how long they play; WAV data is read as it lies in
// the file, so its size is bounded by the file's.
bool tooLongForAnEffect(const std::string& path) {
    Mix_Music* probe = Mix_LoadMUS(path.c_str());
    if (!probe) return false;  // the loader below says what is wrong
    const Mix_MusicType type = Mix_GetMusicType(probe);
    const double seconds = Mix_MusicDuration(probe);
    Mix_FreeMusic(probe);
    return type != MUS_WAV && seconds > kLongestEffectSeconds;
}

class MixerChannel final : public SoundChannel {
public:
    explicit MixerChannel(Kind kind) : SoundChannel(kind) {}
    ~MixerChannel() override { close(); }

private:
    bool load(const std::string& diskPath) override {
        if (!Audio::get().ready()) return false;
        const MidiLength midi = readMidi(diskPath);
        if (midi.kind == MidiLength::Kind::broken) return false;
        if (kind() == Kind::music) {
            music_ = Mix_LoadMUS(diskPath.c_str());
            return music_ != nullptr;
        }
        if (midi.kind == MidiLength::Kind::ok ? midi.seconds > kLongestEffectSeconds : tooLongForAnEffect(diskPath))
            return false;
        // Our own stream, closed here: on some failures the mixer does not
        // close one it was asked to.
        SDL_RWops* rw = SDL_RWFromFile(diskPath.c_str(), "rb");
        if (!rw) return false;
        chunk_ = Mix_LoadWAV_RW(rw, 0);
        SDL_RWclose(rw);
        if (!chunk_) return false;
        if (mixerChannel_ < 0) mixerChannel_ = Audio::get().newEffectChannel();
        return true;
    }

    bool start(bool loop) override {
        if (music_) return Mix_PlayMusic(music_, loop ? -1 : 0) == 0;
        if (chunk_) return Mix_PlayChannel(mixerChannel_, chunk_, loop ? -1 : 0) >= 0;
        return false;
    }

    void halt() override {
        if (music_) Mix_HaltMusic();
        if (chunk_) Mix_HaltChannel(mixerChannel_);
    }

    void unload() override {
        if (music_) {
            Mix_HaltMusic();
            Mix_FreeMusic(music_);
            music_ = nullptr;
        }
        if (chunk_) {
            Mix_HaltChannel(mixerChannel_);
            Mix_FreeChunk(chunk_);
            chunk_ = nullptr;
        }
    }

    bool sounding() const override {
        if (music_) return Mix_PlayingMusic() != 0;
        if (chunk_) return Mix_Playing(mixerChannel_) != 0;
        return false;
    }

    Mix_Music* music_ = nullptr;
    Mix_Chunk* chunk_ = nullptr;
    int mixerChannel_ = -1;
};

class MixerSound final : public Sound {
public:
    MixerSound() { Audio::get().acquire(); }
    ~MixerSound() override { Audio::get().release(); }

    std::unique_ptr<SoundChannel> createChannel(SoundChannel::Kind kind) override {
        return std::make_unique<MixerChannel>(kind);
    }
};

}  // namespace

std::unique_ptr<Sound> createMixerSound(bool silent) {
    Audio::get().chooseOutput(silent);
    return std::make_unique<MixerSound>();
}

}  // namespace qt::platform
