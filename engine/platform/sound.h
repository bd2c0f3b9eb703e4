#pragma once
// Sound channels on SDL2_mixer. A channel holds at most one open file and
// follows the engine's channel states: closed, open (stopped), playing. As
// with the platform the engine was written for, a file played once that has
// reached its end still counts as playing until it is stopped or closed.
//
// Audio starts on first use. When no audio device can be opened, SDL's
// dummy driver is used instead (said once on standard error), so files are
// still opened and checked and every state rule holds.
#include <string>

struct _Mix_Music;
struct Mix_Chunk;

namespace qt::platform {

// Makes every channel of the process use the silent dummy driver (the
// headless backend does). Takes effect if audio has not started yet.
void useSilentAudio();

class SoundChannel {
public:
    // Music streams from its file (opening even a long file returns at
    // once); at most one music channel plays at a time. An effect is decoded
    // into memory when opened and plays on a mixer channel of its own; one
    // that would play longer than ten minutes is refused like a broken file.
    // Both kinds take WAV, OGG Vorbis, MP3, FLAC and MIDI (General MIDI sound
    // font of the system).
    enum class Kind { music, effect };

    explicit SoundChannel(Kind kind);
    ~SoundChannel();
    SoundChannel(const SoundChannel&) = delete;
    SoundChannel& operator=(const SoundChannel&) = delete;

    // Closes what the channel holds, then opens the file. False when the
    // file is missing or cannot be decoded; the channel is then closed.
    bool open(const std::string& diskPath);
    // From the start, endlessly or once. Nothing happens on a closed channel.
    void play(bool loop);
    // Stops a playing channel; the file stays open.
    void stop();
    void close();

    bool isOpen() const { return state_ != State::closed; }
    bool isPlaying() const { return state_ == State::playing; }
    // Whether sound is being produced right now (false once a file played
    // once has ended, though isPlaying() stays true).
    bool isSounding() const;

private:
    enum class State { closed, open, playing };
    Kind kind_;
    State state_ = State::closed;
    _Mix_Music* music_ = nullptr;
    Mix_Chunk* chunk_ = nullptr;
    int mixerChannel_ = -1;
};

}  // namespace qt::platform
