#include "engine/platform/sound.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "sound_files.h"
#include "temp_folder.h"

namespace qt::platform {
namespace {

using Kind = SoundChannel::Kind;
const Kind kKinds[] = {Kind::music, Kind::effect};

// Waits up to `ms` of real time for the condition.
bool within(int ms, const std::function<bool()>& condition) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!condition() && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return condition();
}

std::string state(const SoundChannel& ch) { return ch.isPlaying() ? "playing" : ch.isOpen() ? "open" : "closed"; }

TEST(Sound, ChannelStates) {
    useSilentAudio();
    test::TempFolder dir;
    const std::string wav = dir.write("a.wav", test::wavFile(60));
    for (Kind kind : kKinds) {
        SoundChannel ch(kind);
        ch.play(false);  // nothing on a closed channel
        ch.stop();
        EXPECT_EQ(state(ch), "closed");
        ASSERT_TRUE(ch.open(wav));
        EXPECT_EQ(state(ch), "open");
        ch.play(false);
        EXPECT_TRUE(ch.isSounding());
        // A file played once ends; the channel still counts as playing.
        EXPECT_TRUE(within(2000, [&] { return !ch.isSounding(); }));
        EXPECT_EQ(state(ch), "playing");
        ch.play(true);  // from the start, looping past the file's end
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        EXPECT_TRUE(ch.isSounding());
        ch.stop();
        EXPECT_EQ(state(ch), "open");
        EXPECT_FALSE(ch.isSounding());
        ch.play(false);
        ch.close();
        EXPECT_EQ(state(ch), "closed");
        EXPECT_FALSE(ch.isSounding());
    }
}

TEST(Sound, FailedOpenLeavesTheChannelClosed) {
    useSilentAudio();
    test::TempFolder dir;
    const std::string wav = dir.write("a.wav", test::wavFile(500));
    const std::pair<const char*, std::string> broken[] = {
        {"empty.wav", ""},
        {"text.ogg", "OggS but not really an ogg stream"},
        {"text.mp3", std::string(3000, 'x')},
        {"text.mid", "MThd\x00\x00\x00\x06garbage"},
        {"notracks.mid", std::string("MThd\x00\x00\x00\x06\x00\x00\x00\x00\x00\x60", 14)},
        {"noextension", std::string(100, '\x01')},
        {"truncated.wav", test::wavFile(100).substr(0, 30)},
        {"absurd.wav", "RIFF\xff\xff\xff\x7fWAVEfmt \x10\x00\x00\x00\x01\x00" + std::string(12, '\xff') + "\x10\x00"},
    };
    for (Kind kind : kKinds) {
        for (const auto& [name, bytes] : broken) {
            SoundChannel ch(kind);
            ASSERT_TRUE(ch.open(wav));
            ch.play(true);
            EXPECT_FALSE(ch.open(dir.write(name, bytes))) << name;
            EXPECT_EQ(state(ch), "closed") << name;
            EXPECT_FALSE(ch.isSounding()) << name;
        }
        SoundChannel ch(kind);
        EXPECT_FALSE(ch.open(dir.file("missing.wav")));
    }
}

TEST(Sound, ChannelsAreIndependent) {
    useSilentAudio();
    test::TempFolder dir;
    const std::string wav = dir.write("a.wav", test::wavFile(100));
    SoundChannel music(Kind::music), effect(Kind::effect), other(Kind::effect);
    for (SoundChannel* ch : {&music, &effect, &other}) {
        ASSERT_TRUE(ch->open(wav));
        ch->play(true);
    }
    ASSERT_TRUE(effect.open(wav));  // a new effect replaces only the previous effect
    EXPECT_FALSE(effect.isSounding());
    EXPECT_TRUE(music.isSounding());
    EXPECT_TRUE(other.isSounding());
    effect.play(false);
    music.stop();
    EXPECT_TRUE(effect.isSounding());
    EXPECT_TRUE(other.isSounding());
}

TEST(Sound, MidiAndOggOnBothKinds) {
    useSilentAudio();
    test::TempFolder dir;
    const std::string ogg = test::oggFile(300);
    ASSERT_FALSE(ogg.empty());
    for (const std::string& path : {dir.write("tune.mid", test::midiFile(300)), dir.write("tone.ogg", ogg)}) {
        for (Kind kind : kKinds) {
            SoundChannel ch(kind);
            ASSERT_TRUE(ch.open(path)) << path;
            ch.play(false);
            EXPECT_TRUE(ch.isSounding()) << path;
            if (path.find(".ogg") != std::string::npos) {  // (a MIDI note rings on for seconds)
                EXPECT_TRUE(within(3000, [&] { return !ch.isSounding(); })) << path;
            }
        }
    }
}

TEST(Sound, WithoutADeviceFallsBackToSilenceAndSaysSoOnce) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process: audio must not have started
    test::TempFolder dir;
    const std::string wav = dir.write("a.wav", test::wavFile(100));
    auto openBoth = [&] {
        setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
        SoundChannel music(Kind::music);
        SoundChannel effect(Kind::effect);
        const bool ok = music.open(wav) && effect.open(wav);
        music.play(false);
        std::fputs(ok && music.isPlaying() ? "opened\n" : "failed\n", stderr);
        std::exit(0);
    };
    EXPECT_EXIT(openBoth(), testing::ExitedWithCode(0), "^音声デバイスが開けません。音を出さずに続けます \\([^\n]*\\)\nopened\n$");
}

}  // namespace
}  // namespace qt::platform
