#include "sound_files.h"

#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace qt::platform::test {

namespace {

void put16(std::string& s, uint32_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
void put32(std::string& s, uint32_t v) {
    put16(s, v & 0xFFFF);
    put16(s, v >> 16);
}
void putBig32(std::string& s, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) s += static_cast<char>((v >> shift) & 0xFF);
}

}  // namespace

std::string wavFile(int ms) {
    const uint32_t samples = static_cast<uint32_t>(8000 * ms / 1000);
    std::string s = "RIFF";
    put32(s, 36 + samples * 2);
    s += "WAVEfmt ";
    put32(s, 16);
    put16(s, 1);  // PCM
    put16(s, 1);  // mono
    put32(s, 8000);
    put32(s, 16000);
    put16(s, 2);
    put16(s, 16);
    s += "data";
    put32(s, samples * 2);
    for (uint32_t i = 0; i < samples; ++i) put16(s, (i / 10) % 2 ? 0x2000 : 0xE000);
    return s;
}

std::string midiFile(int ms) {
    std::string track;
    track += std::string("\x00\xC0\x00", 3);        // piano
    track += std::string("\x00\x90\x3C\x40", 4);    // note on
    // 96 ticks a quarter note at 120 beats a minute: 192 ticks a second.
    uint32_t ticks = static_cast<uint32_t>(ms * 192 / 1000);
    std::string delta(1, static_cast<char>(ticks & 0x7F));
    while (ticks >>= 7) delta.insert(delta.begin(), static_cast<char>(0x80 | (ticks & 0x7F)));
    track += delta + std::string("\x80\x3C\x00", 3);
    track += std::string("\x00\xFF\x2F\x00", 4);
    std::string s = "MThd";
    putBig32(s, 6);
    s += std::string("\x00\x00\x00\x01\x00\x60", 6);
    s += "MTrk";
    putBig32(s, static_cast<uint32_t>(track.size()));
    return s + track;
}

std::string oggFile(int ms) {
    constexpr long kRate = 22050;
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, 1, kRate, 0.0f) != 0) {
        vorbis_info_clear(&vi);
        return {};
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, 1);
    std::string out;
    ogg_page og;
    auto flushPages = [&](bool all) {
        while (all ? ogg_stream_flush(&os, &og) : ogg_stream_pageout(&os, &og)) {
            out.append(reinterpret_cast<const char*>(og.header), static_cast<size_t>(og.header_len));
            out.append(reinterpret_cast<const char*>(og.body), static_cast<size_t>(og.body_len));
        }
    };
    ogg_packet header, comments, codebooks;
    vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comments);
    ogg_stream_packetin(&os, &codebooks);
    flushPages(true);

    const long total = kRate * ms / 1000;
    long done = 0;
    const long chunk = 4096;
    for (;;) {
        const long n = std::min(chunk, total - done);
        if (n > 0) {
            float** buffer = vorbis_analysis_buffer(&vd, static_cast<int>(n));
            for (long i = 0; i < n; ++i)
                buffer[0][i] = 0.2f * static_cast<float>(std::sin(2.0 * 3.14159265 * 440.0 * double(done + i) / kRate));
            vorbis_analysis_wrote(&vd, static_cast<int>(n));
            done += n;
        } else {
            vorbis_analysis_wrote(&vd, 0);
        }
        ogg_packet op;
        bool eos = false;
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            while (vorbis_bitrate_flushpacket(&vd, &op)) {
                ogg_stream_packetin(&os, &op);
                flushPages(false);
                if (op.e_o_s) eos = true;
            }
        }
        if (n <= 0 || eos) break;
    }
    flushPages(true);
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return out;
}

}  // namespace qt::platform::test
