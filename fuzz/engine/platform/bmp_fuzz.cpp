// Any bytes as a BMP file: the loader either refuses them or gives a
// picture no larger than a surface may be, never reading past the file.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/platform/pixels/image.h"
#include "fuzz/support/input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = qt::fuzz::writeInputFile("fuzz_bmp", ".bmp", data, size);
    if (path.empty()) return 0;

    qt::platform::Surface picture;
    if (qt::platform::loadBmp(path, picture)) {
        if (!picture.valid() || picture.width() < 1 || picture.height() < 1 || picture.width() > 16384 ||
            picture.height() > 16384) {
            std::fprintf(stderr, "fuzz_bmp: loaded a %dx%d picture\n", picture.width(), picture.height());
            std::abort();
        }
        // Every pixel can be read back, and is a colour.
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                if (picture.pixel(x, y) > 0xFFFFFFu) std::abort();
    } else if (picture.valid()) {
        std::fprintf(stderr, "fuzz_bmp: a refused file left a picture behind\n");
        std::abort();
    }
    return 0;
}
