#include "engine/platform/sdl2_mixer/mixer_sound.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <unistd.h>

#ifdef __EMSCRIPTEN__
#include <emscripten/emscripten.h>
#endif

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "engine/platform/pixels/midi_length.h"
#include "engine/platform/sdl2_mixer/flac_frames.h"
#include "engine/platform/platform_messages.h"

namespace qt::platform {

namespace {

// clang-format off
constexpr const char* kSoundFonts[] = {"/usr/share/sounds/sf2/TimGM6mb.sf2", "/usr/share/sounds/sf2/default-GM.sf2",
                                       "/usr/share/sounds/sf2/FluidR3_GM.sf2"};
// clang-format on
// The game's own patches first (relative: the engine works in its folder);
// a player build has no FluidSynth and plays MIDI only through these.
constexpr const char* kTimidityConfigs[] = {"timidity/timidity.cfg", "/etc/timidity/timidity.cfg",
                                            "/etc/timidity/timgm6mb.cfg"};

// The output's buffer in sample frames. The mixer decodes an effect of a
// compressed kind in pieces of one buffer each (see DecodeGuard).
constexpr int kBufferFrames = 2048;

// An effect of a compressed kind is decoded whole when it is opened, piece
// by piece into memory, until the decoder says it has ended: a file that
// never ends (a looping module, frames without end) would take all the
// memory and never return. Every allocation of the library goes through
// these functions; while an effect is decoded on this thread, the pieces
// are counted and refused past the budget or the deadline, which ends the
// decoding, and the load then fails.
struct DecodeGuard {
    size_t piece = 0;
    uint64_t piecesLeft = 0;
    uint64_t deadline = 0;  // SDL ticks
    bool refused = false;
};
thread_local DecodeGuard* tGuard = nullptr;

struct MemoryFunctions {
    SDL_malloc_func malloc = nullptr;
    SDL_calloc_func calloc = nullptr;
    SDL_realloc_func realloc = nullptr;
    SDL_free_func free = nullptr;
};
MemoryFunctions gReal;

// False refuses an allocation of `size` bytes of the decoding under way.
bool allowed(size_t size) {
    DecodeGuard* guard = tGuard;
    if (guard == nullptr || size < guard->piece) return true;
    if (guard->refused) return false;  // the final copy of what was decoded, too
    if (size != guard->piece) return true;
    if (guard->piecesLeft == 0 || SDL_GetTicks64() > guard->deadline) {
        guard->refused = true;
        return false;
    }
    --guard->piecesLeft;
    return true;
}

void* SDLCALL guardedMalloc(size_t size) { return allowed(size) ? gReal.malloc(size) : nullptr; }
void* SDLCALL guardedCalloc(size_t count, size_t size) {
    return allowed(count * size) ? gReal.calloc(count, size) : nullptr;  // an overflow is the original's to refuse
}
void* SDLCALL guardedRealloc(void* p, size_t size) { return allowed(size) ? gReal.realloc(p, size) : nullptr; }
void SDLCALL guardedFree(void* p) { gReal.free(p); }

// Once per process, before audio starts; the originals still do the work,
// so memory allocated before is freed alike.
void installDecodeGuard() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    SDL_GetMemoryFunctions(&gReal.malloc, &gReal.calloc, &gReal.realloc, &gReal.free);
    SDL_SetMemoryFunctions(guardedMalloc, guardedCalloc, guardedRealloc, guardedFree);
}

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
        installDecodeGuard();
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
        if (Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, kBufferFrames) != 0) {
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
// take that long and all the memory there is. Longer ones are refused, by
// what they say of their length and by what is actually decoded.
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

// How long a decoding of an effect may hold up the engine (and the music,
// which waits for the mixer meanwhile).
constexpr uint64_t kLongestDecodeMs = 5000;

uint32_t le(const unsigned char* p, int n) {
    uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = v << 8 | p[i];
    return v;
}
uint32_t be(const unsigned char* p, int n) {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i) v = v << 8 | p[i];
    return v;
}

// A WAV format chunk the decoders would divide by: no channels, no sample
// rate, no block size, no bits (whole bytes unless ADPCM, which the stream
// decoder refuses by itself). More than 8 channels never plays, and the
// decoders keep the count in a byte: 256 would be none.
bool saneWavFormat(const unsigned char* f) {
    const uint32_t tag = le(f, 2), channels = le(f + 2, 2), rate = le(f + 4, 4), block = le(f + 12, 2),
                   bits = le(f + 14, 2);
    const bool adpcm = tag == 0x0002 || tag == 0x0011;
    return channels != 0 && channels <= 8 && rate != 0 && block != 0 && bits != 0 && (adpcm || bits >= 8);
}

// The same of an AIFF COMM chunk: channels, sample size, and a rate (80-bit
// float) of at least 1.
bool saneAiffFormat(const unsigned char* c) {
    return be(c, 2) != 0 && be(c + 6, 2) >= 8 && (c[8] & 0x80) == 0 && be(c + 8, 2) >= 0x3FFF;
}

// Walks the chunks of a RIFF/WAVE or FORM/AIFF file and checks every format
// chunk found, once with the padding of odd chunks and once without (the
// loaders differ). False for a format that would bring the library down.
bool saneHeader(std::FILE* f) {
    unsigned char head[12];
    if (std::fread(head, 1, 12, f) != 12) return true;  // too short: the loaders refuse it
    const bool riff = std::memcmp(head, "RIFF", 4) == 0 || std::memcmp(head, "WAVE", 4) == 0;
    const bool form = std::memcmp(head, "FORM", 4) == 0;
    if (!riff && !form) return true;
    constexpr int kMostChunks = 4096;
    for (const bool padded : {true, false}) {
        long at = 12;
        for (int n = 0; n < kMostChunks; ++n) {
            unsigned char chunk[8 + 18];
            if (std::fseek(f, at, SEEK_SET) != 0) break;
            const size_t got = std::fread(chunk, 1, sizeof chunk, f);
            if (got < 8) break;
            const uint32_t length = riff ? le(chunk + 4, 4) : be(chunk + 4, 4);
            if (riff && std::memcmp(chunk, "fmt ", 4) == 0 && length >= 16 &&
                (got < 8 + 16 || !saneWavFormat(chunk + 8)))
                return false;
            if (form && std::memcmp(chunk, "COMM", 4) == 0 && (got < 8 + 18 || !saneAiffFormat(chunk + 8)))
                return false;
            if (riff && length == 0 && !padded) break;  // where the stream decoder stops
            at += 8 + static_cast<long>(length) + ((padded || form) && (length & 1) ? 1 : 0);
        }
    }
    return true;
}

bool saneHeader(const std::string& path) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
    return !f || saneHeader(f.get());
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

// The effect decoded into memory. WAV, AIFF and VOC are read as they lie in
// the file; every other kind goes through the stream decoder under a guard
// that stops it past the longest effect at the output rate, or past the
// decoding deadline, whatever the file says of its own length.
Mix_Chunk* loadEffect(const std::string& path) {
    // Our own stream, closed here: on some failures the mixer does not
    // close one it was asked to.
    SDL_RWops* rw = SDL_RWFromFile(path.c_str(), "rb");
    if (!rw) return nullptr;
    char magic[4] = {};
    const bool stored = SDL_RWread(rw, magic, 1, 4) == 4 &&
                        (std::memcmp(magic, "RIFF", 4) == 0 || std::memcmp(magic, "WAVE", 4) == 0 ||
                         std::memcmp(magic, "FORM", 4) == 0 || std::memcmp(magic, "Crea", 4) == 0);
    Mix_Chunk* chunk = nullptr;
    int rate = 0, channels = 0;
    Uint16 format = 0;
    if (SDL_RWseek(rw, 0, RW_SEEK_SET) == 0 && Mix_QuerySpec(&rate, &format, &channels) != 0) {
        const size_t frame = static_cast<size_t>(channels) * (SDL_AUDIO_BITSIZE(format) / 8);
        DecodeGuard guard;
        guard.piece = frame * kBufferFrames;
        guard.piecesLeft = static_cast<uint64_t>(kLongestEffectSeconds * rate) / kBufferFrames + 1;
        guard.deadline = SDL_GetTicks64() + kLongestDecodeMs;
        if (!stored) tGuard = &guard;
        chunk = Mix_LoadWAV_RW(rw, 0);
        tGuard = nullptr;
        if (chunk && guard.refused) {
            Mix_FreeChunk(chunk);
            chunk = nullptr;
        }
    }
    SDL_RWclose(rw);
    return chunk;
}

// A web page carries TiMidity patches (timidity/ of the game's folder) only
// when the game's MIDI needs them and they are small enough for a page;
// without them a MIDI file opens as a channel that plays nothing, so the
// game goes on, and that is said once.
bool midiLeftSilent() {
#ifdef QT_MIDI_WHEN_PACKED
    if (access(kTimidityConfigs[0], R_OK) == 0) return false;
    static bool said = false;
    if (!said) {
        said = true;
        const std::string line = std::string(msg::midiNotPlayed.utf8()) + "\n";
        std::fwrite(line.data(), 1, line.size(), stderr);
        std::fflush(stderr);
    }
    return true;
#else
    return false;
#endif
}

class MixerChannel final : public SoundChannel {
public:
    explicit MixerChannel(Kind kind) : SoundChannel(kind) {}
    ~MixerChannel() override { close(); }

private:
    bool load(const std::string& diskPath) override {
        if (!Audio::get().ready()) return false;
        if (!saneHeader(diskPath) || !flacFramesFit(diskPath)) return false;
        const MidiLength midi = readMidi(diskPath);
        if (midi.kind == MidiLength::Kind::broken) return false;
        if (midi.kind == MidiLength::Kind::ok && midiLeftSilent()) {
            silentMidi_ = true;
            return true;
        }
        if (kind() == Kind::music) {
            music_ = Mix_LoadMUS(diskPath.c_str());
            return music_ != nullptr;
        }
        if (midi.kind == MidiLength::Kind::ok ? midi.seconds > kLongestEffectSeconds : tooLongForAnEffect(diskPath))
            return false;
        chunk_ = loadEffect(diskPath);
        if (!chunk_) return false;
        if (mixerChannel_ < 0) mixerChannel_ = Audio::get().newEffectChannel();
        return true;
    }

    bool start(bool loop) override {
        if (silentMidi_) return true;
        if (music_) return Mix_PlayMusic(music_, loop ? -1 : 0) == 0;
        if (chunk_) return Mix_PlayChannel(mixerChannel_, chunk_, loop ? -1 : 0) >= 0;
        return false;
    }

    void halt() override {
        if (music_) Mix_HaltMusic();
        if (chunk_) Mix_HaltChannel(mixerChannel_);
    }

    void unload() override {
        silentMidi_ = false;
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
    bool silentMidi_ = false;  // MIDI without patches
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

#ifdef __EMSCRIPTEN__
// For the page: whether music is playing (sounding once audio is allowed).
extern "C" EMSCRIPTEN_KEEPALIVE int qt_music_playing() { return Mix_PlayingMusic(); }
#endif

std::unique_ptr<Sound> createMixerSound(bool silent) {
    Audio::get().chooseOutput(silent);
    return std::make_unique<MixerSound>();
}

}  // namespace qt::platform
