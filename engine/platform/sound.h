#pragma once
// Sound channels. A channel holds at most one open file and follows the
// engine's channel states: closed, open (stopped), playing. As with the
// platform the engine was written for, a file played once that has reached
// its end still counts as playing until it is stopped or closed. The states
// are kept here; an implementation only opens, starts and stops its files.
#include <memory>
#include <string>

namespace qt::platform {

class SoundChannel {
public:
    // Music streams from its file; at most one music channel plays at a
    // time. An effect is decoded into memory when opened and plays on a
    // channel of its own.
    enum class Kind { music, effect };

    // Implementations call close() in their own destructor: unload() is theirs.
    virtual ~SoundChannel() = default;
    SoundChannel(const SoundChannel&) = delete;
    SoundChannel& operator=(const SoundChannel&) = delete;

    // Closes what the channel holds, then opens the file. False when the
    // file is missing, not a regular file (a pipe is not waited on) or
    // cannot be decoded; the channel is then closed.
    bool open(const std::string& diskPath);
    // From the start, endlessly or once. Nothing happens on a closed channel.
    void play(bool loop);
    // Stops a playing channel; the file stays open.
    void stop();
    void close();

    // While muted, play() changes the state alone and starts no sound
    // (fast-forward passes the music of pages nobody sees). Unmuting starts
    // a channel that plays by its state, from the start, when `start` says so.
    void mute() { muted_ = true; }
    void unmute(bool start);

    bool isOpen() const { return state_ != State::closed; }
    bool isPlaying() const { return state_ == State::playing; }
    // Whether sound is being produced right now (false once a file played
    // once has ended, though isPlaying() stays true).
    bool isSounding() const { return state_ == State::playing && sounding(); }
    bool loops() const { return loop_; }

protected:
    explicit SoundChannel(Kind kind) : kind_(kind) {}
    Kind kind() const { return kind_; }
    // Called with nothing open, on a regular file. False leaves nothing open.
    virtual bool load(const std::string& diskPath) = 0;
    virtual bool start(bool loop) = 0;
    virtual void halt() = 0;
    virtual void unload() = 0;
    virtual bool sounding() const = 0;

private:
    enum class State { closed, open, playing };
    Kind kind_;
    State state_ = State::closed;
    bool muted_ = false;
    bool silentPlay_ = false;  // playing by the state, nothing started
    bool loop_ = false;        // as last asked to play
};

class Sound {
public:
    virtual ~Sound() = default;
    virtual std::unique_ptr<SoundChannel> createChannel(SoundChannel::Kind kind) = 0;
};

// Channels that play nothing: a file opens when it is a readable regular
// file, and every state rule holds.
std::unique_ptr<Sound> createSilentSound();

}  // namespace qt::platform
