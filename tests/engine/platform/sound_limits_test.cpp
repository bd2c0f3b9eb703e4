// Sound files that would bring the mixer down or never finish decoding:
// broken WAV and AIFF formats, effects that decode without end.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/platform/sdl2_mixer/mixer_sound.h"
#include "engine/platform/sound.h"
#include "test_files.h"

namespace qt::platform {
namespace {

using Kind = SoundChannel::Kind;

std::unique_ptr<SoundChannel> channel(Kind kind) {
    static const auto sound = createMixerSound(true);
    return sound->createChannel(kind);
}

std::string be(uint64_t v, int n) {
    std::string s;
    for (int i = n - 1; i >= 0; --i) s += char(v >> (8 * i));
    return s;
}

std::string aiff(uint32_t channels, uint32_t bits, const std::string& rate80) {
    const std::string comm = "COMM" + be(18, 4) + be(channels, 2) + be(400, 4) + be(bits, 2) + rate80;
    const std::string ssnd = "SSND" + be(8 + 800, 4) + be(0, 8) + std::string(800, '\x10');
    return "FORM" + be(4 + comm.size() + ssnd.size(), 4) + "AIFF" + comm + ssnd;
}

// A format the decoders would divide by is a broken file on both channels.
TEST(SoundLimits, WavFormatsThatWouldDivideByZeroAreBroken) {
    test::TempFolder dir;
    const std::string rate8000 = std::string("\x40\x0B\xFA", 3) + std::string(7, '\0');
    // clang-format off
    const struct { const char* name; std::string file; bool opens; } cases[] = {
        {"good.wav", test::wavFile(100, 1, 1, 8000, 2, 16), true},
        {"no_channels.wav", test::wavFile(100, 1, 0, 8000, 2, 16), false},
        {"channels_of_a_zero_byte.wav", test::wavFile(100, 1, 256, 8000, 2, 16), false},
        {"no_rate.wav", test::wavFile(100, 1, 1, 0, 2, 16), false},
        {"no_block.wav", test::wavFile(100, 1, 1, 8000, 0, 16), false},
        {"no_bits.wav", test::wavFile(100, 1, 1, 8000, 2, 0), false},
        {"four_bit_pcm.wav", test::wavFile(100, 1, 2, 8000, 1, 4), false},
        {"good.aiff", aiff(1, 16, rate8000), true},
        {"no_channels.aiff", aiff(0, 16, rate8000), false},
        {"no_bits.aiff", aiff(1, 0, rate8000), false},
        {"negative_rate.aiff", aiff(1, 16, "\xC0" + rate8000.substr(1)), false},
    };
    // clang-format on
    for (Kind kind : {Kind::music, Kind::effect}) {
        for (const auto& c : cases) {
            const auto ch = channel(kind);
            EXPECT_EQ(ch->open(dir.write(c.name, c.file)), c.opens) << c.name;
            ch->play(false);
            EXPECT_EQ(ch->isOpen(), c.opens) << c.name;
        }
    }
}

// The CRC of `bits` bits (8 or 16) with polynomial `poly`, MSB first.
uint32_t crc(const std::string& s, int bits, uint32_t poly) {
    uint32_t crc = 0;
    const uint32_t top = 1u << (bits - 1), mask = (top << 1) - 1;
    for (unsigned char c : s) {
        crc ^= uint32_t(c) << (bits - 8);
        for (int i = 0; i < 8; ++i) crc = (crc & top ? (crc << 1) ^ poly : crc << 1) & mask;
    }
    return crc;
}

// FLAC that says its length is unknown, of `frames` frames of 16384
// constant samples (mono, 44100 Hz): a few bytes a frame. The stream header
// may claim more channels than the frames hold.
std::string flacOfUnknownLength(uint32_t frames, uint64_t claimedChannels = 1) {
    const uint64_t info = uint64_t{44100} << 44 | (claimedChannels - 1) << 41 | uint64_t{15} << 36;  // total 0: unknown
    std::string out = "fLaC" + std::string("\x80\0\0\x22", 4) + be(16384, 2) + be(16384, 2) + be(0, 6) + be(info, 8) +
                      std::string(16, '\0');
    for (uint32_t n = 0; n < frames; ++n) {
        std::string f = std::string("\xFF\xF8\xE9\x08", 4);  // 16384 samples, 44.1 kHz, mono, 16 bits
        f += n < 0x80    ? std::string(1, char(n))
             : n < 0x800 ? std::string{char(0xC0 | n >> 6), char(0x80 | (n & 0x3F))}
                         : std::string{char(0xE0 | n >> 12), char(0x80 | (n >> 6 & 0x3F)), char(0x80 | (n & 0x3F))};
        f += char(crc(f, 8, 0x07));
        f += std::string("\x00\x10\x00", 3);  // a constant subframe
        out += f + be(crc(f, 16, 0x8005), 2);
    }
    return out;
}

// A four-channel module of one pattern whose last row jumps back to its
// start: it plays for ever.
std::string loopingModule() {
    std::string m = std::string(20, 'm');
    m += std::string(22, 's') + be(100, 2) + be(64, 2) + be(0, 2) + be(100, 2);  // looping, full volume
    for (int i = 1; i < 31; ++i) m += std::string(22, '\0') + be(0, 2) + be(0, 2) + be(0, 2) + be(1, 2);
    m += std::string("\x01\x7F", 2) + std::string(128, '\0') + "M.K.";
    std::string pattern(64 * 16, '\0');
    pattern.replace(0, 4, "\x01\xAC\x10\x00", 4);            // a note of sample 1
    pattern.replace(63 * 16 + 4, 4, "\x00\x00\x0B\x00", 4);  // jump to order 0
    std::string sample;
    for (int i = 0; i < 200; ++i) sample += char(i / 8 % 2 ? 0x40 : 0xC0);
    return m + pattern + sample;
}

// Notes on every key of fifteen channels at once, held for nine minutes:
// within the longest effect, but very slow to synthesise.
std::string denseMidi() {
    std::string track;
    for (int ch = 0; ch < 16; ++ch)
        if (ch != 9) track += std::string("\0", 1) + char(0xC0 | ch) + char(19);  // organ
    for (int ch = 0, notes = 0; ch < 16 && notes < 300; ++ch)
        for (int key = 30; ch != 9 && key < 50 && notes < 300; ++key, ++notes)
            track += std::string("\0", 1) + char(0x90 | ch) + char(key) + char(100);
    const uint32_t ticks = 540 * 192;  // 96 a beat at 120 a minute
    track += {char(0x80 | ticks >> 14), char(0x80 | (ticks >> 7 & 0x7F)), char(ticks & 0x7F)};
    track += std::string("\xFF\x2F\x00", 3);
    return std::string("MThd\0\0\0\x06\0\0\0\x01\0\x60", 14) + "MTrk" + be(track.size(), 4) + track;
}

// Effects are refused by what actually decodes, past ten minutes at the
// output rate or past the decoding deadline, and soon; music streams them.
TEST(SoundLimits, EffectsThatDecodeWithoutEndAreRefusedInBoundedTime) {
    test::TempFolder dir;
    // clang-format off
    const struct { const char* name; std::string file; } cases[] = {
        {"hour.flac", flacOfUnknownLength(44100 * 3600 / 16384)},
        {"loop.mod", loopingModule()},
        {"dense.mid", denseMidi()},
        {"lying.ogg", test::oggThatSaysItIsShort()},
    };
    // clang-format on
    for (const auto& c : cases) {
        const std::string path = dir.write(c.name, c.file);
        const auto effect = channel(Kind::effect);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(effect->open(path)) << c.name;
        EXPECT_FALSE(effect->isOpen()) << c.name;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15)) << c.name;
        EXPECT_TRUE(channel(Kind::music)->open(path)) << c.name;
    }
    // A short effect of the same kinds still decodes whole.
    const auto effect = channel(Kind::effect);
    EXPECT_TRUE(effect->open(dir.write("short.flac", flacOfUnknownLength(20))));
    EXPECT_TRUE(effect->open(dir.write("short.ogg", test::oggFile(2000))));
}

// The mixer's FLAC decoder reads as many channels from each frame as the
// stream header names: such a file is a broken one, not a crash.
TEST(SoundLimits, FlacFramesWithFewerChannelsThanTheStreamAreRefused) {
    test::TempFolder dir;
    const std::string path = dir.write("stereo-header.flac", flacOfUnknownLength(20, 2));
    for (auto kind : {Kind::music, Kind::effect}) {
        const auto c = channel(kind);
        EXPECT_FALSE(c->open(path));
        EXPECT_FALSE(c->isOpen());
    }
}

}  // namespace
}  // namespace qt::platform
