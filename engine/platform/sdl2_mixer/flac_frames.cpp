#include "engine/platform/sdl2_mixer/flac_frames.h"

#include <FLAC/stream_decoder.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace qt::platform {

namespace {

struct Scan {
    unsigned channels = 0;  // of the stream header
};

FLAC__StreamDecoderWriteStatus onWrite(const FLAC__StreamDecoder*, const FLAC__Frame*, const FLAC__int32* const[],
                                       void*) {
    return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
}

void onMetadata(const FLAC__StreamDecoder*, const FLAC__StreamMetadata* m, void* data) {
    if (m->type == FLAC__METADATA_TYPE_STREAMINFO) static_cast<Scan*>(data)->channels = m->data.stream_info.channels;
}

void onError(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus, void*) {}

}  // namespace

bool flacFramesFit(const std::string& path) {
    {
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
        char magic[4] = {};
        // The mixer takes a file for FLAC by these four bytes alone.
        if (!f || std::fread(magic, 1, 4, f.get()) != 4 || std::memcmp(magic, "fLaC", 4) != 0) return true;
    }
    std::unique_ptr<FLAC__StreamDecoder, void (*)(FLAC__StreamDecoder*)> decoder(FLAC__stream_decoder_new(),
                                                                                 &FLAC__stream_decoder_delete);
    if (!decoder) return false;
    Scan scan;
    if (FLAC__stream_decoder_init_file(decoder.get(), path.c_str(), onWrite, onMetadata, onError, &scan) !=
        FLAC__STREAM_DECODER_INIT_STATUS_OK)
        return false;
    bool fit = FLAC__stream_decoder_process_until_end_of_metadata(decoder.get());
    // Frames are skipped, not decoded: only their headers are looked at.
    while (fit) {
        if (!FLAC__stream_decoder_skip_single_frame(decoder.get())) break;
        const FLAC__StreamDecoderState state = FLAC__stream_decoder_get_state(decoder.get());
        if (state == FLAC__STREAM_DECODER_END_OF_STREAM || state == FLAC__STREAM_DECODER_ABORTED) break;
        if (FLAC__stream_decoder_get_channels(decoder.get()) < scan.channels) fit = false;
    }
    FLAC__stream_decoder_finish(decoder.get());
    return fit;
}

}  // namespace qt::platform
