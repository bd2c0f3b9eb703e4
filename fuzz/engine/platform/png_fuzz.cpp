// Any bytes as a PNG file: the loader either refuses them or gives a
// picture no larger than a surface may be, every pixel a colour with its
// fourth byte 0, whatever libpng met on the way.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/platform/pixels/image.h"
#include "fuzz/support/input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Files without the signature are BMPs to the loader: fuzz_bmp's work.
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size < sizeof kSignature || std::memcmp(data, kSignature, sizeof kSignature) != 0) return -1;
    const std::string path = qt::fuzz::writeInputFile("fuzz_png", ".png", data, size);
    if (path.empty()) return 0;

    qt::platform::Surface picture;
    if (qt::platform::loadImage(path, picture, 0x123456)) {
        if (!picture.valid() || picture.width() < 1 || picture.height() < 1 ||
            picture.width() > qt::platform::Surface::kMaxSide || picture.height() > qt::platform::Surface::kMaxSide) {
            std::fprintf(stderr, "fuzz_png: loaded a %dx%d picture\n", picture.width(), picture.height());
            std::abort();
        }
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                if (picture.pixel(x, y) > 0xFFFFFFu || picture.fourth(x, y) != 0) std::abort();
    } else if (picture.valid()) {
        std::fprintf(stderr, "fuzz_png: a refused file left a picture behind\n");
        std::abort();
    }
    return 0;
}
