// qPre --check on a game of 50 sources of about 105 KB each (5 MiB in all):
// body text, images, sounds, screens and colours, key waits and pages, each
// file going on to the next; the file list, qPre.ini and qRun.ini beside them.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/cp932.h"
#include "common/exe_folder.h"
#include "preprocessor/game_check.h"

namespace {

constexpr int kFiles = 50;
constexpr size_t kGameBytes = 5u << 20;

bool writeWhole(const std::string& path, const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

void le32(std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A 320 x 240 picture of 24-bit pixels.
std::string bmp() {
    std::string s = "BM";
    const uint32_t pixels = 320 * 240 * 3;
    le32(s, 54 + pixels);
    le32(s, 0);
    le32(s, 54);
    le32(s, 40);
    le32(s, 320);
    le32(s, 240);
    s += std::string("\x01\x00\x18\x00", 4);
    le32(s, 0);
    le32(s, pixels);
    for (int i = 0; i < 4; ++i) le32(s, 0);
    s.append(pixels, '\x40');
    return s;
}

// A quarter of a second of 16-bit mono silence.
std::string wav() {
    std::string s = "RIFF";
    const uint32_t data = 22050 / 4 * 2;
    le32(s, 36 + data);
    s += "WAVEfmt ";
    le32(s, 16);
    s += std::string("\x01\x00\x01\x00", 4);
    le32(s, 22050);
    le32(s, 44100);
    s += std::string("\x02\x00\x10\x00", 4);
    s += "data";
    le32(s, data);
    s.append(data, '\0');
    return s;
}

std::string source(int n) {
    // clang-format off
    const char* scene[] = {
        "/curid 1", "/e bg%d.bmp, 0, 0, f, f, -2", "/curid 2", "/iro &HFF00FF", "/e chara.bmp, 100, 40",
        "/allblt", "/bgm music.wav", "// the scene begins",
        "　吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。",
        "「おい、起きろ」と彼は言った。何でも薄暗いじめじめした所で泣いていた事だけは記憶している。",
        "/@", "/se bell.wav", "The quick brown fox jumps over the lazy dog again and again.", "/\\",
    };
    // clang-format on
    std::string chunk;
    for (const char* line : scene) {
        char text[256];
        std::snprintf(text, sizeof text, line, n % 4);
        chunk += qt::utf8ToCp932(text) + "\r\n";
    }
    std::string s;
    while (s.size() + chunk.size() < kGameBytes / kFiles - 40) s += chunk;
    if (n + 1 < kFiles) s += "/next ch" + std::to_string(n + 1) + ".dat\r\n";
    return s;
}

void BM_CheckGame(benchmark::State& state) {
    const char* base = std::getenv("QT_BENCH_DIR");
    std::string folder = std::string(base != nullptr ? base : "/tmp") + "/qpre_check_bench_XXXXXX";
    if (::mkdtemp(folder.data()) == nullptr) {
        state.SkipWithError("cannot make the game folder");
        return;
    }
    std::string list;
    size_t bytes = 0;
    bool ok = writeWhole(folder + "/qPre.ini", "[main]\r\nfinishExit=1\r\n") &&
              writeWhole(folder + "/qRun.ini", "[main]\r\nFirstScenario=ch0.dat\r\n[screen]\r\nhUserMDC_num=3\r\n") &&
              writeWhole(folder + "/chara.bmp", bmp()) && writeWhole(folder + "/music.wav", wav()) &&
              writeWhole(folder + "/bell.wav", wav());
    for (int i = 0; i < 4; ++i) ok = ok && writeWhole(folder + "/bg" + std::to_string(i) + ".bmp", bmp());
    for (int n = 0; n < kFiles; ++n) {
        const std::string text = source(n), name = "ch" + std::to_string(n);
        bytes += text.size();
        ok = ok && writeWhole(folder + "/" + name + ".txt", text);
        list += name + ".txt\r\n" + name + ".dat\r\n\r\n";
    }
    ok = ok && writeWhole(folder + "/filelist.ini", list);
    char* cwd = ::getcwd(nullptr, 0);
    const std::string before = cwd != nullptr ? cwd : "/";
    std::free(cwd);
    if (!ok || ::chdir(folder.c_str()) != 0) {
        state.SkipWithError("cannot write the game");
        return;
    }
    std::snprintf(qt::exeFolder, sizeof qt::exeFolder, "%s", folder.c_str());
    const qt::pre::PreSettings settings = qt::pre::loadSettings();
    const qt::pre::Console console(false);
    std::fflush(stdout);
    const int savedOut = ::dup(1);
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    ::dup2(null, 1);
    int code = 0;
    for (auto _ : state) code |= qt::pre::runCheck({}, settings, console);
    std::fflush(stdout);
    ::dup2(savedOut, 1);
    ::close(savedOut);
    ::close(null);
    if (code != 0) state.SkipWithError("the game did not check clean");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
    state.counters["files"] = kFiles;
    static_cast<void>(::chdir(before.c_str()));
    static_cast<void>(std::system(("rm -rf '" + folder + "'").c_str()));
    qt::exeFolder[0] = '\0';
}
BENCHMARK(BM_CheckGame)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
