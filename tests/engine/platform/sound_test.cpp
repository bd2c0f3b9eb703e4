#include "engine/platform/sound.h"
#include "engine/platform/sdl2_mixer/mixer_sound.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "engine/platform/pixels/midi_length.h"
#include "test_files.h"

namespace qt::platform {
namespace {

using Kind = SoundChannel::Kind;
const Kind kKinds[] = {Kind::music, Kind::effect};

// Waits up to `ms` of real time for the condition.
bool within(int ms, const std::function<bool()>& condition) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!condition() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return condition();
}

// The mixer with silent output (files are still decoded), and the silent sound.
Sound& mixer() {
    static const auto sound = createMixerSound(true);
    return *sound;
}
Sound& silent() {
    static const auto sound = createSilentSound();
    return *sound;
}

std::string state(const SoundChannel& ch) {
    return std::string(ch.isPlaying() ? "playing" : ch.isOpen() ? "open" : "closed") + (ch.isSounding() ? "+" : "");
}

std::string smf(uint16_t division, const std::string& events) {
    const std::string n = {char(events.size() >> 24), char(events.size() >> 16), char(events.size() >> 8),
                           char(events.size())};
    return std::string("MThd\0\0\0\x06\0\0\0\x01", 12) + char(division >> 8) + char(division) + "MTrk" + n + events;
}
const std::string kQuarterNote = std::string("\0\x90\x3C\x40\x60\x80\x3C\0", 8);  // 96 ticks
const std::string kEndOfTrack = std::string("\0\xFF\x2F\0", 4);

// The state after each operation, "+" while sound is produced; WAV, OGG and
// MIDI on both kinds of channel of the mixer, and any file on the silent ones.
TEST(Sound, ChannelStates) {
    test::TempFolder dir;
    const std::string ogg = test::oggFile(300);
    ASSERT_FALSE(ogg.empty());
    // clang-format off
    const std::string files[] = {dir.write("a.wav", test::wavFile(60)), dir.write("tone.ogg", ogg),
                                 dir.write("tune.mid", smf(96, kQuarterNote + kEndOfTrack)), dir.write("any.bin", "not a sound")};
    // clang-format on
    for (Sound* sound : {&mixer(), &silent()}) {
        for (Kind kind : kKinds) {
            for (const std::string& path : files) {
                const bool quiet = sound == &silent(),
                           midi = path.ends_with(".mid");  // a MIDI note rings on for seconds
                if (!quiet && path.ends_with(".bin")) continue;
                const auto ch = sound->createChannel(kind);
                std::string log;
                ch->play(false);  // nothing on a closed channel
                ch->stop();
                log += state(*ch) + " ";
                ASSERT_TRUE(ch->open(path)) << path;
                log += state(*ch) + " ";
                ch->play(false);
                log += state(*ch) + " ";
                if (!midi) within(3000, [&] { return !ch->isSounding(); });  // ended, still counts as playing
                log += state(*ch) + " ";
                ch->play(true);  // from the start, looping past the file's end
                std::this_thread::sleep_for(std::chrono::milliseconds(midi || quiet ? 0 : 400));
                log += state(*ch) + " ";
                ch->stop();
                log += state(*ch) + " ";
                ch->play(false);
                ch->close();
                log += state(*ch);
                const std::string on = quiet ? "playing" : "playing+";
                EXPECT_EQ(log, "closed open " + on + " " + (midi ? on : "playing") + " " + on + " open closed") << path;
            }
        }
    }
}

TEST(Sound, FailedOpenLeavesTheChannelClosed) {
    test::TempFolder dir;
    const std::string wav = dir.write("a.wav", test::wavFile(500));
    // clang-format off
    const std::pair<const char*, std::string> broken[] = {
        {"empty.wav", ""}, {"text.ogg", "OggS but not really an ogg stream"}, {"text.mp3", std::string(3000, 'x')},
        {"text.mid", "MThd\x00\x00\x00\x06garbage"}, {"noextension", std::string(100, '\x01')},
        {"truncated.wav", test::wavFile(100).substr(0, 30)},
        {"absurd.wav", "RIFF\xff\xff\xff\x7fWAVEfmt \x10\x00\x00\x00\x01\x00" + std::string(12, '\xff') + "\x10\x00"},
    };
    // clang-format on
    for (Kind kind : kKinds) {
        for (const auto& [name, bytes] : broken) {
            const auto ch = mixer().createChannel(kind);
            ASSERT_TRUE(ch->open(wav));
            ch->play(true);
            EXPECT_FALSE(ch->open(dir.write(name, bytes))) << name;
            EXPECT_EQ(state(*ch), "closed") << name;
        }
        for (Sound* sound : {&mixer(), &silent()}) {
            EXPECT_FALSE(sound->createChannel(kind)->open(dir.file("missing.wav")));
            EXPECT_FALSE(sound->createChannel(kind)->open(dir.path()));
        }
    }
}

TEST(Sound, MidiPlayingTime) {
    using K = MidiLength::Kind;
    // clang-format off
    const struct { const char* name; std::string file; K kind; double seconds; } cases[] = {
        {"not MIDI", "RIFF....", K::notMidi, 0}, {"header only", "MThd\0\0\0\x06", K::broken, 0},
        {"no tracks", std::string("MThd\0\0\0\x06\0\0\0\0\0\x60", 14), K::broken, 0},
        {"one quarter at 120", smf(96, kQuarterNote + kEndOfTrack), K::ok, 0.5},
        {"tempo halved", smf(96, std::string("\0\xFF\x51\x03\x0F\x42\x40", 7) + kQuarterNote), K::ok, 1.0},
        {"running status", smf(96, std::string("\0\x90\x3C\x40\x60\x3C\0\x60\xC0\x05", 10)), K::ok, 1.0},
        {"25 frames of 40 ticks", smf(0xE728, std::string("\x83\x60\x90\x3C\x40", 5)), K::ok, 0.48},
        {"cut off", smf(96, kQuarterNote).substr(0, 30), K::ok, 0.5},
        {"days of silence", smf(96, std::string("\xFF\xFF\xFF\x7F\x90\x3C\x40", 7)), K::ok, 1398101.33},
    };
    // clang-format on
    for (const auto& c : cases) {
        const MidiLength m = midiLength(c.file);
        EXPECT_EQ(m.kind, c.kind) << c.name;
        EXPECT_NEAR(m.seconds, c.seconds, 0.01) << c.name;
    }
    // Such an effect is refused at once; music streams.
    test::TempFolder dir;
    const std::string endless = dir.write("long.mid", cases[8].file);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(mixer().createChannel(Kind::effect)->open(endless));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_TRUE(mixer().createChannel(Kind::music)->open(endless));
}

TEST(Sound, ChannelsAreIndependent) {
    test::TempFolder dir;
    const std::string wav = dir.write("a.wav", test::wavFile(100));
    const auto music = mixer().createChannel(Kind::music), effect = mixer().createChannel(Kind::effect),
               other = mixer().createChannel(Kind::effect);
    for (SoundChannel* ch : {music.get(), effect.get(), other.get()}) {
        ASSERT_TRUE(ch->open(wav));
        ch->play(true);
    }
    ASSERT_TRUE(effect->open(wav));  // a new effect replaces only the previous effect
    EXPECT_EQ(state(*music) + state(*effect) + state(*other), "playing+openplaying+");
    effect->play(false);
    music->stop();
    EXPECT_EQ(state(*music) + state(*effect) + state(*other), "openplaying+playing+");
}

TEST(Sound, WithoutADeviceFallsBackToSilenceAndSaysSoOnce) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process: audio must not have started
    test::TempFolder dir;
    const std::string wav = dir.write("a.wav", test::wavFile(100));
    auto openBoth = [&] {
        setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
        const auto sound = createMixerSound(false);
        const auto music = sound->createChannel(Kind::music), effect = sound->createChannel(Kind::effect);
        const bool ok = music->open(wav) && effect->open(wav);
        music->play(false);
        std::fputs(ok && music->isPlaying() ? "opened\n" : "failed\n", stderr);
        std::exit(0);
    };
    EXPECT_EXIT(openBoth(), testing::ExitedWithCode(0),
                "^音声デバイスが開けません。音を出さずに続けます \\([^\n]*\\)\nopened\n$");
}

}  // namespace
}  // namespace qt::platform
