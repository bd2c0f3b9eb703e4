#include "engine/platform/sound.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qt::platform {

namespace {

// Opened without blocking: a pipe would otherwise hold up the engine until
// something wrote to it, and a device is no sound file either.
bool isRegularFile(const std::string& diskPath) {
    const int fd = ::open(diskPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    const bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    return regular;
}

}  // namespace

bool SoundChannel::open(const std::string& diskPath) {
    close();
    if (!isRegularFile(diskPath) || !load(diskPath)) return false;
    state_ = State::open;
    return true;
}

void SoundChannel::play(bool loop) {
    if (state_ == State::closed) return;
    if (muted_) {
        if (state_ == State::playing && !silentPlay_) halt();
        state_ = State::playing;
        silentPlay_ = true;
        loop_ = loop;
        return;
    }
    if (start(loop)) {
        state_ = State::playing;
        silentPlay_ = false;
        loop_ = loop;
    }
}

void SoundChannel::stop() {
    if (state_ != State::playing) return;
    if (!silentPlay_) halt();
    silentPlay_ = false;
    state_ = State::open;
}

void SoundChannel::close() {
    if (state_ == State::closed) return;
    unload();
    silentPlay_ = false;
    state_ = State::closed;
}

void SoundChannel::unmute(bool startPlaying) {
    muted_ = false;
    if (state_ != State::playing || !silentPlay_ || !startPlaying) return;
    if (start(loop_)) silentPlay_ = false;
}

namespace {

class SilentChannel final : public SoundChannel {
public:
    explicit SilentChannel(Kind kind) : SoundChannel(kind) {}
    ~SilentChannel() override { close(); }

private:
    bool load(const std::string&) override { return true; }
    bool start(bool) override { return true; }
    void halt() override {}
    void unload() override {}
    bool sounding() const override { return false; }
};

class SilentSound final : public Sound {
public:
    std::unique_ptr<SoundChannel> createChannel(SoundChannel::Kind kind) override {
        return std::make_unique<SilentChannel>(kind);
    }
};

}  // namespace

std::unique_ptr<Sound> createSilentSound() { return std::make_unique<SilentSound>(); }

}  // namespace qt::platform
