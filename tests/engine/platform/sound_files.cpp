#include "test_files.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

namespace qt::platform::test {

std::string wavFile(int ms, uint32_t tag, uint32_t channels, uint32_t rate, uint32_t block, uint32_t bits) {
    const uint32_t samples = static_cast<uint32_t>(8 * ms);
    std::string s = "RIFF" + le(36 + samples * 2, 4) + "WAVEfmt " + le(16, 4) + le(tag, 2) + le(channels, 2) +
                    le(rate, 4) + le(rate * block, 4) + le(block, 2) + le(bits, 2) + "data" + le(samples * 2, 4);
    for (uint32_t i = 0; i < samples; ++i) s += le((i / 10) % 2 ? 0x2000 : 0xE000, 2);
    return s;
}

namespace {

// One mono OGG Vorbis stream being written: its headers are out once it is
// made, and what the encoder gives goes into pages appended to `out`.
struct VorbisWriter {
    explicit VorbisWriter(long rate) {
        vorbis_info_init(&vi);
        vorbis_comment_init(&vc);
        ok = vorbis_encode_init_vbr(&vi, 1, rate, 0.0f) == 0;
        if (!ok) return;
        vorbis_analysis_init(&vd, &vi);
        vorbis_block_init(&vd, &vb);
        ogg_stream_init(&os, 1);
        ogg_packet comments, codebooks;
        vorbis_analysis_headerout(&vd, &vc, &op, &comments, &codebooks);
        for (ogg_packet* p : {&op, &comments, &codebooks}) ogg_stream_packetin(&os, p);
        pages(true);
    }
    ~VorbisWriter() {
        if (ok) {
            ogg_stream_clear(&os);
            vorbis_block_clear(&vb);
            vorbis_dsp_clear(&vd);
        }
        vorbis_comment_clear(&vc);
        vorbis_info_clear(&vi);
    }
    VorbisWriter(const VorbisWriter&) = delete;
    VorbisWriter& operator=(const VorbisWriter&) = delete;

    float* buffer(int samples) { return vorbis_analysis_buffer(&vd, samples)[0]; }
    // Encodes what was written to the buffer (0: the end); each packet, in
    // `op`, goes to `take`.
    template <typename Take>
    void wrote(int samples, Take take) {
        vorbis_analysis_wrote(&vd, samples);
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            while (vorbis_bitrate_flushpacket(&vd, &op)) take();
        }
    }
    void packetIn() {
        ogg_stream_packetin(&os, &op);
        pages(false);
    }
    void pages(bool flush) {
        while (flush ? ogg_stream_flush(&os, &og) : ogg_stream_pageout(&os, &og))
            out.append(reinterpret_cast<char*>(og.header), size_t(og.header_len))
                .append(reinterpret_cast<char*>(og.body), size_t(og.body_len));
    }

    vorbis_info vi;
    vorbis_comment vc;
    vorbis_dsp_state vd;
    vorbis_block vb;
    ogg_stream_state os;
    ogg_page og;
    ogg_packet op;
    std::string out;
    bool ok = false;
};

}  // namespace

std::string oggFile(int ms) {
    constexpr long kRate = 22050;
    VorbisWriter w(kRate);
    if (!w.ok) return {};
    for (long done = 0, total = kRate * ms / 1000, n = 1; n > 0; done += n) {
        n = std::min(4096L, total - done);
        float* samples = w.buffer(4096);
        for (long i = 0; i < n; ++i) samples[i] = 0.2f * float(std::sin(0.1254 * double(done + i)));
        w.wrote(int(n), [&] { w.packetIn(); });
    }
    w.pages(true);
    return std::move(w.out);
}

std::string oggThatSaysItIsShort() {
    VorbisWriter w(8000);
    if (!w.ok) return {};
    float* samples = w.buffer(8000);
    for (int i = 0; i < 8000; ++i) samples[i] = 0.2f * float(std::sin(0.3 * i));
    std::vector<std::pair<std::string, int64_t>> packets;  // bytes, samples
    int64_t last = 0;
    const auto keep = [&] {
        packets.emplace_back(std::string(reinterpret_cast<char*>(w.op.packet), size_t(w.op.bytes)),
                             w.op.granulepos - last);
        last = w.op.granulepos;
    };
    w.wrote(8000, keep);
    w.wrote(0, keep);
    ogg_packet& op = w.op;
    for (size_t n = 0; op.granulepos < 720 * 8000; ++n) {
        auto& [bytes, length] = packets[1 + n % (packets.size() - 2)];
        op.packet = reinterpret_cast<unsigned char*>(bytes.data());
        op.bytes = long(bytes.size());
        op.e_o_s = 0;
        op.granulepos += length;
        w.packetIn();
    }
    op.e_o_s = 1;
    op.granulepos = 3 * 8000;  // the lie, in the last page
    w.packetIn();
    w.pages(true);
    return std::move(w.out);
}

}  // namespace qt::platform::test
