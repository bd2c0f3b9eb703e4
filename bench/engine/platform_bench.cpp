// Speed of the platform layer's drawing, text, image loading and sound
// opening, each beside the yardstick it is judged against (memcpy of the
// target frame; reading the image file's bytes).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "common/cp932.h"
#include "engine/platform/freetype/freetype_text.h"
#include "engine/platform/pixels/image.h"
#include "engine/platform/sdl2_mixer/mixer_sound.h"
#include "engine/platform/pixels/surface.h"
#include "test_files.h"

namespace qt::platform {
namespace {

constexpr ColorRef kMagenta = rgb(255, 0, 255);

struct Sizes {
    int sw, sh, dw, dh;
};
const Sizes kSizes[] = {{320, 240, 640, 480}, {1280, 720, 1920, 1080}};

// A layer with some of everything: picture, transparent holes.
Surface layer(int w, int h, bool holes) {
    Surface s;
    s.create(w, h, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            s.setPixel(x, y,
                       holes && ((x / 16 + y / 16) % 3 == 0) ? kMagenta : rgb(uint8_t(x), uint8_t(y), uint8_t(x ^ y)));
    return s;
}

void BM_MemcpyTargetFrame(benchmark::State& state) {
    const Sizes& z = kSizes[state.range(0)];
    std::vector<uint8_t> a(size_t(z.dw) * z.dh * 4, 1), b(a.size());
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), a.size());
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
    }
    state.SetLabel(std::to_string(z.dw) + "x" + std::to_string(z.dh));
}
BENCHMARK(BM_MemcpyTargetFrame)->DenseRange(0, 1);

// The stretch of the composition onto the presentation screen.
void BM_StretchCopy(benchmark::State& state) {
    const Sizes& z = kSizes[state.range(0)];
    const Surface src = layer(z.sw, z.sh, false);
    Surface dst;
    dst.create(z.dw, z.dh, 0);
    for (auto _ : state) {
        stretchCopy(dst, 0, 0, z.dw, z.dh, src, 0, 0, z.sw, z.sh);
        benchmark::DoNotOptimize(dst.bits());
    }
    state.SetLabel(std::to_string(z.sw) + "x" + std::to_string(z.sh) + "->" + std::to_string(z.dw) + "x" +
                   std::to_string(z.dh));
}
BENCHMARK(BM_StretchCopy)->DenseRange(0, 1);

// The foreground layer scaled onto the presentation screen (the direct form).
void BM_TransparentStretch(benchmark::State& state) {
    const Sizes& z = kSizes[state.range(0)];
    const Surface src = layer(z.sw, z.sh, true);
    Surface dst;
    dst.create(z.dw, z.dh, 0);
    for (auto _ : state) {
        transparentCopy(dst, 0, 0, z.dw, z.dh, src, 0, 0, z.sw, z.sh, kMagenta);
        benchmark::DoNotOptimize(dst.bits());
    }
}
BENCHMARK(BM_TransparentStretch)->DenseRange(0, 1);

// Both layers through the composition screen and the stretch, as a whole.
void BM_AllbltLike(benchmark::State& state) {
    const Sizes& z = kSizes[state.range(0)];
    const Surface back = layer(z.sw, z.sh, false), front = layer(z.sw, z.sh, true);
    Surface comp, pres;
    comp.create(z.sw, z.sh, 0);
    pres.create(z.dw, z.dh, 0);
    for (auto _ : state) {
        copyBlock(comp, 0, 0, z.sw, z.sh, back, 0, 0);
        transparentCopy(comp, 0, 0, z.sw, z.sh, front, 0, 0, z.sw, z.sh, kMagenta);
        stretchCopy(pres, 0, 0, z.dw, z.dh, comp, 0, 0, z.sw, z.sh);
        benchmark::DoNotOptimize(pres.bits());
    }
}
BENCHMARK(BM_AllbltLike)->DenseRange(0, 1);

// One body-text line of 30 full-width characters at 20 px with its shadow.
void BM_TextLineWithShadow(benchmark::State& state) {
    FontRequest request;
    request.face = utf8ToCp932("ＭＳ Ｐゴシック");
    request.height = 20;
    const auto text = createFreeTypeText();
    auto font = text->createFont(request);
    if (!font) {
        state.SkipWithError("no font");
        return;
    }
    const std::string line = utf8ToCp932("吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。");
    Surface screen;
    screen.create(640, 480, 0);
    font->draw(screen, 24, 24, line, rgb(255, 255, 255), std::nullopt);  // fills the glyph cache
    for (auto _ : state) {
        font->draw(screen, 25, 25, line, rgb(0, 0, 255), std::nullopt);
        font->draw(screen, 24, 24, line, rgb(255, 255, 255), std::nullopt);
        benchmark::DoNotOptimize(screen.bits());
    }
}
BENCHMARK(BM_TextLineWithShadow);

using test::TempFolder;

std::string bmp24(int w, int h) {
    const size_t row = size_t(w * 3 + 3) / 4 * 4;
    std::string rows(row * size_t(h), '\0');
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const size_t p = size_t(y) * row + size_t(x) * 3;
            const bool hole = (x / 32 + y / 32) % 4 == 0;
            rows[p] = char(hole ? 255 : x), rows[p + 1] = char(hole ? 0 : y), rows[p + 2] = char(hole ? 255 : x + y);
        }
    return test::bmp(w, h, 24, 0, "", rows);
}

void BM_ReadBmpFileBytes(benchmark::State& state) {
    TempFolder dir;
    const std::string path = dir.write("a.bmp", bmp24(640, 480));
    for (auto _ : state) {
        std::vector<char> bytes;
        if (FILE* f = std::fopen(path.c_str(), "rb")) {
            std::fseek(f, 0, SEEK_END);
            bytes.resize(static_cast<size_t>(std::ftell(f)));
            std::fseek(f, 0, SEEK_SET);
            if (std::fread(bytes.data(), 1, bytes.size(), f) != bytes.size()) state.SkipWithError("short read");
            std::fclose(f);
        }
        benchmark::DoNotOptimize(bytes.data());
    }
}
BENCHMARK(BM_ReadBmpFileBytes);

void BM_LoadBmpAndDrawTransparent(benchmark::State& state) {
    TempFolder dir;
    const std::string path = dir.write("a.bmp", bmp24(640, 480));
    Surface target, image;  // the engine keeps one loading surface
    target.create(640, 480, 0);
    for (auto _ : state) {
        if (!loadBmp(path, image)) {
            state.SkipWithError("load failed");
            break;
        }
        transparentCopy(target, 0, 0, image.width(), image.height(), image, 0, 0, image.width(), image.height(),
                        kMagenta);
        benchmark::DoNotOptimize(target.bits());
    }
}
BENCHMARK(BM_LoadBmpAndDrawTransparent);

// Opening (and closing) a three-minute OGG on the music channel.
void BM_OpenThreeMinuteOgg(benchmark::State& state) {
    TempFolder dir;
    const std::string path = dir.write("long.ogg", test::oggFile(180000));
    const auto sound = createMixerSound(true);
    const auto music = sound->createChannel(SoundChannel::Kind::music);
    for (auto _ : state) {
        if (!music->open(path)) {
            state.SkipWithError("open failed");
            break;
        }
        music->close();
    }
}
BENCHMARK(BM_OpenThreeMinuteOgg)->Unit(benchmark::kMillisecond);

// Opening a 30-second OGG on the effect channel: decoded whole into memory.
void BM_OpenThirtySecondOggEffect(benchmark::State& state) {
    TempFolder dir;
    const std::string path = dir.write("effect.ogg", test::oggFile(30000));
    const auto sound = createMixerSound(true);
    const auto effect = sound->createChannel(SoundChannel::Kind::effect);
    for (auto _ : state) {
        if (!effect->open(path)) {
            state.SkipWithError("open failed");
            break;
        }
        effect->close();
    }
}
BENCHMARK(BM_OpenThirtySecondOggEffect)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qt::platform
