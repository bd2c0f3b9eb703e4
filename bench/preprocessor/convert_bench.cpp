// convertFile on a generated 1 MiB scenario source: body text in kana, kanji
// and ASCII with punctuation, commands, comments and directives; and a whole
// dropped-files run of a source full of page directives without a number,
// which restore the sizes of a large qPre.ini.
//   bench_preprocessor [benchmark options]
//   bench_preprocessor --write-source PATH   (the same source, for qpre-vs-copy)
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/cp932.h"
#include "common/exe_folder.h"
#include "preprocessor/converter.h"
#include "preprocessor/driver.h"
#include "preprocessor/source_text.h"

namespace {

std::string generateSource() {
    // clang-format off
    const char* lines[] = {
        "　吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。何でも薄暗いじめじめし"
        "た所でニャーニャー泣いていた事だけは記憶している。",
        "「おい、起きろ」と彼は言った。",
        "/BGM play, \"op 1.mp3\"",
        "/img 1, \"bg/room.bmp\", 0, 0",
        "// a line comment that is dropped",
        "The quick brown fox jumps over the lazy dog, again and again, until the page is full.",
        "/* a block comment",
        "   over two lines */",
        "",
        "/@",
        "『なぜ？』（小声で）",
        "#pagewidth 60",
        "/wait 500;/se \"click.wav\"",
        "/\\",
    };
    // clang-format on
    std::string chunk;
    for (const char* line : lines) {
        chunk += qt::utf8ToCp932(line);
        chunk += "\r\n";
    }
    std::string source;
    while (source.size() + chunk.size() <= qt::pre::kMaxSourceSize) source += chunk;
    // Fill to exactly 1 MiB with body text lines.
    while (source.size() < qt::pre::kMaxSourceSize) {
        const size_t left = qt::pre::kMaxSourceSize - source.size();
        source += left > 2 ? std::string(std::min<size_t>(left - 2, 70), 'x') + "\r\n" : std::string(left, 'x');
    }
    return source;
}

std::string folderForFiles() {
    // QT_BENCH_DIR chooses the file system (default /tmp).
    const char* base = std::getenv("QT_BENCH_DIR");
    std::string tmpl = std::string(base != nullptr ? base : "/tmp") + "/qpre_bench_XXXXXX";
    const char* made = ::mkdtemp(tmpl.data());
    return made != nullptr ? made : "/tmp";
}

void BM_ConvertFile(benchmark::State& state) {
    const std::string folder = folderForFiles();
    const std::string src = folder + "/scenario.txt";
    const std::string dst = folder + "/scenario.dat";
    const std::string source = generateSource();
    FILE* f = std::fopen(src.c_str(), "wb");
    if (f == nullptr) {
        state.SkipWithError("cannot write the source");
        return;
    }
    std::fwrite(source.data(), 1, source.size(), f);
    std::fclose(f);

    qt::pre::PageLayout layout;
    qt::pre::Converter converter(layout);
    for (auto _ : state) {
        layout = qt::pre::PageLayout{};
        if (converter.convertFile(src.c_str(), dst.c_str()) != 0) state.SkipWithError("conversion failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(source.size()));
    ::unlink(src.c_str());
    ::unlink(dst.c_str());
    ::rmdir(folder.c_str());
}
BENCHMARK(BM_ConvertFile)->Unit(benchmark::kMillisecond)->UseRealTime();

bool writeWhole(const std::string& path, const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

// 50,000 "#pagewidth" and "#pageheight" lines without a number, converted as
// qPre converts a dropped file, beside a qPre.ini of about 200 KB whose
// [honbun] section comes last.
void BM_BarePageDirectives(benchmark::State& state) {
    const std::string folder = folderForFiles();
    std::string ini = "[main]\r\nfinishExit=1\r\n";
    for (int i = 0; i < 3000; ++i) {
        ini += "; note " + std::to_string(i) + ": chapter settings kept by the author, unused\r\n";
    }
    ini += "[honbun]\r\npageWidth=40\r\npageHeight=8\r\n";
    std::string source;
    for (int i = 0; i < 25000; ++i) source += "#pagewidth\r\n#pageheight\r\n";
    const std::string src = folder + "/directives.txt";
    if (!writeWhole(folder + "/qPre.ini", ini) || !writeWhole(src, source)) {
        state.SkipWithError("cannot write the files");
        return;
    }
    std::snprintf(qt::exeFolder, sizeof qt::exeFolder, "%s", folder.c_str());
    qt::pre::PreSettings settings = qt::pre::loadSettings();
    settings.waitForEnter = false;
    const qt::pre::Console console(false);
    // The console lines go nowhere while it runs.
    std::fflush(stdout);
    const int savedOut = ::dup(1);
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    ::dup2(null, 1);
    for (auto _ : state) {
        qt::pre::Driver driver(settings, console);
        driver.run({"qPre", src});
    }
    std::fflush(stdout);
    ::dup2(savedOut, 1);
    ::close(savedOut);
    ::close(null);
    qt::exeFolder[0] = '\0';
    for (const char* name : {"/qPre.ini", "/directives.txt", "/directives.dat"}) {
        ::unlink((folder + name).c_str());
    }
    ::rmdir(folder.c_str());
}
BENCHMARK(BM_BarePageDirectives)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--write-source") == 0) {
        const std::string source = generateSource();
        FILE* f = std::fopen(argv[2], "wb");
        if (f == nullptr) return 1;
        const bool ok = std::fwrite(source.data(), 1, source.size(), f) == source.size();
        return (std::fclose(f) == 0 && ok) ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
