// Makes the demo game's pictures and sounds, so that nothing is downloaded:
// two backgrounds, a character drawn on the clear colour (magenta), a short
// music loop and a bell effect. Usage: make_assets OUTPUT_FOLDER
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Image {
    int w, h;
    std::vector<uint8_t> rgb;  // r, g, b per pixel, top row first
    Image(int width, int height) : w(width), h(height), rgb(static_cast<size_t>(width) * height * 3) {}
    void set(int x, int y, int r, int g, int b) {
        if (x < 0 || y < 0 || x >= w || y >= h) return;
        uint8_t* p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
        p[0] = static_cast<uint8_t>(r);
        p[1] = static_cast<uint8_t>(g);
        p[2] = static_cast<uint8_t>(b);
    }
};

void put16(std::vector<uint8_t>& v, uint32_t x) {
    v.push_back(x & 0xFF);
    v.push_back((x >> 8) & 0xFF);
}
void put32(std::vector<uint8_t>& v, uint32_t x) {
    put16(v, x & 0xFFFF);
    put16(v, x >> 16);
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

// 24-bit bottom-up BMP.
bool writeBmp(const std::string& path, const Image& img) {
    const uint32_t rowSize = (static_cast<uint32_t>(img.w) * 3 + 3) & ~3u;
    const uint32_t dataSize = rowSize * static_cast<uint32_t>(img.h);
    std::vector<uint8_t> v;
    v.push_back('B');
    v.push_back('M');
    put32(v, 54 + dataSize);
    put32(v, 0);
    put32(v, 54);
    put32(v, 40);
    put32(v, static_cast<uint32_t>(img.w));
    put32(v, static_cast<uint32_t>(img.h));
    put16(v, 1);
    put16(v, 24);
    put32(v, 0);
    put32(v, dataSize);
    put32(v, 2835);
    put32(v, 2835);
    put32(v, 0);
    put32(v, 0);
    for (int y = img.h - 1; y >= 0; --y) {
        for (int x = 0; x < img.w; ++x) {
            const uint8_t* p = &img.rgb[(static_cast<size_t>(y) * img.w + x) * 3];
            v.push_back(p[2]);
            v.push_back(p[1]);
            v.push_back(p[0]);
        }
        for (uint32_t pad = static_cast<uint32_t>(img.w) * 3; pad < rowSize; ++pad) v.push_back(0);
    }
    return writeFile(path, v);
}

// 16-bit mono PCM WAV.
bool writeWav(const std::string& path, const std::vector<int16_t>& samples, int rate) {
    std::vector<uint8_t> v;
    const uint32_t dataSize = static_cast<uint32_t>(samples.size() * 2);
    for (char c : std::string("RIFF")) v.push_back(static_cast<uint8_t>(c));
    put32(v, 36 + dataSize);
    for (char c : std::string("WAVEfmt ")) v.push_back(static_cast<uint8_t>(c));
    put32(v, 16);
    put16(v, 1);
    put16(v, 1);
    put32(v, static_cast<uint32_t>(rate));
    put32(v, static_cast<uint32_t>(rate) * 2);
    put16(v, 2);
    put16(v, 16);
    for (char c : std::string("data")) v.push_back(static_cast<uint8_t>(c));
    put32(v, dataSize);
    for (int16_t s : samples) put16(v, static_cast<uint16_t>(s));
    return writeFile(path, v);
}

Image gradient(int w, int h, int r0, int g0, int b0, int r1, int g1, int b1) {
    Image img(w, h);
    for (int y = 0; y < h; ++y) {
        const double t = static_cast<double>(y) / (h - 1);
        for (int x = 0; x < w; ++x) {
            img.set(x, y, static_cast<int>(r0 + (r1 - r0) * t), static_cast<int>(g0 + (g1 - g0) * t),
                    static_cast<int>(b0 + (b1 - b0) * t));
        }
    }
    return img;
}

void disc(Image& img, int cx, int cy, int radius, int r, int g, int b) {
    for (int y = cy - radius; y <= cy + radius; ++y) {
        for (int x = cx - radius; x <= cx + radius; ++x) {
            if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius) img.set(x, y, r, g, b);
        }
    }
}

void box(Image& img, int x0, int y0, int x1, int y1, int r, int g, int b) {
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) img.set(x, y, r, g, b);
    }
}

Image daySky() {
    Image img = gradient(320, 240, 90, 150, 230, 200, 230, 255);
    box(img, 0, 180, 320, 240, 70, 140, 60);                                    // meadow
    disc(img, 260, 50, 22, 255, 240, 150);                                      // sun
    for (int i = 0; i < 5; ++i) disc(img, 40 + i * 14, 60, 12, 250, 250, 250);  // a cloud
    return img;
}

Image eveningSky() {
    Image img = gradient(320, 240, 60, 30, 90, 250, 140, 80);
    box(img, 0, 190, 320, 240, 40, 40, 50);
    disc(img, 70, 150, 26, 255, 200, 120);
    return img;
}

// A cat-like figure on magenta, which the engine treats as see-through.
Image character() {
    Image img(120, 160);
    box(img, 0, 0, 120, 160, 255, 0, 255);
    disc(img, 60, 110, 40, 240, 190, 120);  // body
    disc(img, 60, 50, 32, 250, 210, 140);   // head
    for (int i = 0; i < 18; ++i) {          // ears
        box(img, 34 + i / 2, 14 + i, 52 - i / 2, 15 + i, 250, 210, 140);
        box(img, 68 + i / 2, 14 + i, 86 - i / 2, 15 + i, 250, 210, 140);
    }
    disc(img, 48, 48, 5, 30, 30, 30);  // eyes
    disc(img, 72, 48, 5, 30, 30, 30);
    box(img, 56, 62, 64, 66, 200, 80, 80);  // nose
    return img;
}

std::vector<int16_t> musicLoop(int rate) {
    // A gentle four-bar arpeggio, two seconds a bar, that loops seamlessly.
    // clang-format off
    const double notes[] = {261.63, 329.63, 392.00, 523.25, 220.00, 261.63, 329.63, 440.00,
                            174.61, 220.00, 261.63, 349.23, 196.00, 246.94, 293.66, 392.00};
    // clang-format on
    const int perNote = rate / 2;
    std::vector<int16_t> out;
    for (double f : notes) {
        for (int i = 0; i < perNote; ++i) {
            const double t = static_cast<double>(i) / rate;
            const double env = std::exp(-3.0 * t) * 0.6 + 0.05;
            const double s = std::sin(2 * M_PI * f * t) + 0.3 * std::sin(4 * M_PI * f * t);
            out.push_back(static_cast<int16_t>(s * env * 9000));
        }
    }
    return out;
}

std::vector<int16_t> bell(int rate) {
    std::vector<int16_t> out;
    for (int i = 0; i < rate * 3 / 4; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double s = std::sin(2 * M_PI * 1318.5 * t) + 0.5 * std::sin(2 * M_PI * 1975.5 * t);
        out.push_back(static_cast<int16_t>(s * std::exp(-5.0 * t) * 12000));
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_assets OUTPUT_FOLDER\n");
        return 2;
    }
    const std::string dir = argv[1];
    const int rate = 22050;
    const bool ok = writeBmp(dir + "/day.bmp", daySky()) && writeBmp(dir + "/evening.bmp", eveningSky()) &&
                    writeBmp(dir + "/cat.bmp", character()) && writeWav(dir + "/music.wav", musicLoop(rate), rate) &&
                    writeWav(dir + "/bell.wav", bell(rate), rate);
    if (!ok) {
        std::fprintf(stderr, "make_assets: cannot write into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
