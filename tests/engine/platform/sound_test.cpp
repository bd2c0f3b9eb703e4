#include "engine/platform/sound.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "sound_files.h"

namespace qt::platform {
namespace {

namespace fs = std::filesystem;
using Kind = SoundChannel::Kind;

class Sound : public testing::Test {
protected:
    void SetUp() override {
        useSilentAudio();
        char name[] = "/tmp/qt_sound_XXXXXX";
        dir_ = mkdtemp(name);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string file(const std::string& name, const std::string& bytes) {
        const std::string path = dir_ + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    // Waits up to `ms` of real time for the condition.
    static bool within(int ms, const std::function<bool()>& condition) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < end) {
            if (condition()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return condition();
    }

    std::string dir_;
};

TEST_F(Sound, StatesOnBothKinds) {
    const std::string wav = file("a.wav", test::wavFile(60));
    for (Kind kind : {Kind::music, Kind::effect}) {
        SoundChannel ch(kind);
        EXPECT_FALSE(ch.isOpen());
        ch.play(false);  // a closed channel plays nothing
        EXPECT_FALSE(ch.isPlaying());
        ch.stop();
        ch.close();
        EXPECT_FALSE(ch.isOpen());

        ASSERT_TRUE(ch.open(wav));
        EXPECT_TRUE(ch.isOpen());
        EXPECT_FALSE(ch.isPlaying());
        ch.play(false);
        EXPECT_TRUE(ch.isPlaying());
        EXPECT_TRUE(ch.isSounding());
        // Played once, the file ends; the channel still counts as playing.
        EXPECT_TRUE(within(2000, [&] { return !ch.isSounding(); }));
        EXPECT_TRUE(ch.isPlaying());
        ch.play(true);  // again from the start, looping
        EXPECT_TRUE(ch.isSounding());
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        EXPECT_TRUE(ch.isSounding());
        ch.stop();
        EXPECT_TRUE(ch.isOpen());
        EXPECT_FALSE(ch.isPlaying());
        EXPECT_FALSE(ch.isSounding());
        ch.stop();
        EXPECT_TRUE(ch.isOpen());
        ch.play(false);
        ch.close();
        EXPECT_FALSE(ch.isOpen());
        EXPECT_FALSE(ch.isSounding());
    }
}

TEST_F(Sound, FailedOpenLeavesTheChannelClosed) {
    const std::string wav = file("a.wav", test::wavFile(500));
    const std::string good = test::wavFile(100);
    const struct {
        const char* name;
        std::string bytes;
    } broken[] = {
        {"missing.wav", ""},  // not written below
        {"empty.wav", ""},
        {"text.wav", "this is not a sound file at all\n"},
        {"text.ogg", "OggS but not really an ogg stream"},
        {"text.mp3", std::string(3000, 'x')},
        {"text.mid", "MThd\x00\x00\x00\x06garbage"},
        {"notracks.mid", std::string("MThd\x00\x00\x00\x06\x00\x00\x00\x00\x00\x60", 14)},
        {"text.flac", "fLaC\x00\x00"},
        {"noextension", std::string(100, '\x01')},
        {"truncated.wav", good.substr(0, 30)},
        {"huge-format.wav", "RIFF\xff\xff\xff\x7fWAVEfmt \x10\x00\x00\x00\x01\x00\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\x10\x00"},
    };
    for (Kind kind : {Kind::music, Kind::effect}) {
        for (const auto& b : broken) {
            SoundChannel ch(kind);
            ASSERT_TRUE(ch.open(wav));
            ch.play(true);
            const std::string path = std::string(b.name) == "missing.wav" ? dir_ + "/missing.wav" : file(b.name, b.bytes);
            EXPECT_FALSE(ch.open(path)) << b.name;
            EXPECT_FALSE(ch.isOpen()) << b.name;
            EXPECT_FALSE(ch.isSounding()) << b.name;
            ch.play(false);
            EXPECT_FALSE(ch.isPlaying()) << b.name;
        }
    }
}

TEST_F(Sound, ChannelsAreIndependent) {
    const std::string wav = file("a.wav", test::wavFile(100));
    SoundChannel music(Kind::music), effect(Kind::effect), other(Kind::effect);
    ASSERT_TRUE(music.open(wav));
    ASSERT_TRUE(effect.open(wav));
    ASSERT_TRUE(other.open(wav));
    music.play(true);
    effect.play(true);
    other.play(true);
    EXPECT_TRUE(music.isSounding());
    EXPECT_TRUE(effect.isSounding());
    // A new effect replaces only the previous effect.
    ASSERT_TRUE(effect.open(wav));
    EXPECT_FALSE(effect.isSounding());
    EXPECT_TRUE(music.isSounding());
    EXPECT_TRUE(other.isSounding());
    effect.play(false);
    music.stop();
    EXPECT_TRUE(effect.isSounding());
    EXPECT_TRUE(other.isSounding());
}

TEST_F(Sound, MidiAndOggOnBothKinds) {
    const std::string ogg = test::oggFile(300);
    ASSERT_FALSE(ogg.empty());
    const std::string files[] = {file("tune.mid", test::midiFile(300)), file("tone.ogg", ogg),
                                 file("upper.OGG", ogg)};
    for (Kind kind : {Kind::music, Kind::effect}) {
        for (const std::string& path : files) {
            SoundChannel ch(kind);
            ASSERT_TRUE(ch.open(path)) << path;
            ch.play(false);
            EXPECT_TRUE(ch.isPlaying()) << path;
            EXPECT_TRUE(ch.isSounding()) << path;
            // (The synthesiser lets a note ring on for seconds.)
            if (path.find(".mid") == std::string::npos) {
                EXPECT_TRUE(within(3000, [&] { return !ch.isSounding(); })) << path;
            }
        }
    }
}

TEST(SoundWithoutDevice, FallsBackToSilenceAndSaysSoOnce) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    char name[] = "/tmp/qt_sound_XXXXXX";
    const std::string dir = mkdtemp(name);
    const std::string wav = dir + "/a.wav";
    std::ofstream(wav, std::ios::binary) << test::wavFile(100);
    auto openBoth = [&] {
        setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
        SoundChannel music(Kind::music);
        SoundChannel effect(Kind::effect);
        const bool ok = music.open(wav) && effect.open(wav);
        music.play(false);
        std::fputs(music.isPlaying() && ok ? "opened\n" : "failed\n", stderr);
        std::exit(0);
    };
    EXPECT_EXIT(openBoth(), testing::ExitedWithCode(0),
        "^音声デバイスが開けません。音を出さずに続けます \\([^\n]*\\)\nopened\n$");
    fs::remove_all(dir);
}

}  // namespace
}  // namespace qt::platform
