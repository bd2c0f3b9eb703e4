#include "test_files.h"

#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdint>

namespace qt::platform::test {

std::string wavFile(int ms, uint32_t tag, uint32_t channels, uint32_t rate, uint32_t block, uint32_t bits) {
    const uint32_t samples = static_cast<uint32_t>(8 * ms);
    std::string s = "RIFF" + le(36 + samples * 2, 4) + "WAVEfmt " + le(16, 4) + le(tag, 2) + le(channels, 2) +
                    le(rate, 4) + le(rate * block, 4) + le(block, 2) + le(bits, 2) + "data" + le(samples * 2, 4);
    for (uint32_t i = 0; i < samples; ++i) s += le((i / 10) % 2 ? 0x2000 : 0xE000, 2);
    return s;
}

std::string oggFile(int ms) {
    constexpr long kRate = 22050;
    vorbis_info vi;
    vorbis_info_init(&vi);
    std::string out;
    if (vorbis_encode_init_vbr(&vi, 1, kRate, 0.0f) == 0) {
        vorbis_comment vc;
        vorbis_dsp_state vd;
        vorbis_block vb;
        ogg_stream_state os;
        ogg_page og;
        ogg_packet op, comments, codebooks;
        vorbis_comment_init(&vc);
        vorbis_analysis_init(&vd, &vi);
        vorbis_block_init(&vd, &vb);
        ogg_stream_init(&os, 1);
        auto pages = [&](bool flush) {
            while (flush ? ogg_stream_flush(&os, &og) : ogg_stream_pageout(&os, &og))
                out.append(reinterpret_cast<char*>(og.header), size_t(og.header_len))
                    .append(reinterpret_cast<char*>(og.body), size_t(og.body_len));
        };
        vorbis_analysis_headerout(&vd, &vc, &op, &comments, &codebooks);
        for (ogg_packet* p : {&op, &comments, &codebooks}) ogg_stream_packetin(&os, p);
        pages(true);
        for (long done = 0, total = kRate * ms / 1000, n = 1; n > 0; done += n) {
            n = std::min(4096L, total - done);
            float* samples = vorbis_analysis_buffer(&vd, 4096)[0];
            for (long i = 0; i < n; ++i) samples[i] = 0.2f * float(std::sin(0.1254 * double(done + i)));
            vorbis_analysis_wrote(&vd, int(n));  // 0: the end
            while (vorbis_analysis_blockout(&vd, &vb) == 1) {
                vorbis_analysis(&vb, nullptr);
                vorbis_bitrate_addblock(&vb);
                while (vorbis_bitrate_flushpacket(&vd, &op)) {
                    ogg_stream_packetin(&os, &op);
                    pages(false);
                }
            }
        }
        pages(true);
        ogg_stream_clear(&os);
        vorbis_block_clear(&vb);
        vorbis_dsp_clear(&vd);
        vorbis_comment_clear(&vc);
    }
    vorbis_info_clear(&vi);
    return out;
}

}  // namespace qt::platform::test
