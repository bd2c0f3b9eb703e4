// Any bytes as qRun.ini: start-up reads every key (screens, window, body
// text, key wait) headless, then plays a short page with compositing, the
// key wait and a new page, so that every setting reaches the drawing.
#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "common/exe_folder.h"
#include "common/ini_file.h"
#include "common/scenario_format.h"
#include "engine/core/engine.h"
#include "engine/core/startup.h"
#include "engine/interpreter/interpreter.h"
#include "engine/platform/freetype/freetype_text.h"
#include "engine/platform/headless/headless_backend.h"
#include "fuzz/support/play.h"

namespace {

// The game folder, removed at exit. Entered only while an input runs: the
// fuzzer's own paths are relative to where it was started.
struct GameFolder {
    std::string path;
    GameFolder() {
        char tmpl[] = "/tmp/qt_fuzz_engine_iniXXXXXX";
        if (mkdtemp(tmpl) == nullptr) return;
        path = tmpl;
        std::snprintf(qt::exeFolder, sizeof qt::exeFolder, "%s", path.c_str());
        if (std::FILE* f = std::fopen((path + "/s.dat").c_str(), "wb")) {
            const std::string body = std::string(qt::scenario::kHeaderLine) +
                                     "\x82\xA0\r\n/allblt,;\r\n/@,;\r\nab\r\n/\\,;\r\n/allbltdirect,;\r\nc\r\n";
            std::fwrite(body.data(), 1, body.size(), f);
            std::fclose(f);
        }
    }
    ~GameFolder() {
        std::error_code ec;
        if (!path.empty()) std::filesystem::remove_all(path, ec);
    }
};

// Screens beyond this are refused by the harness only: they would be made
// (the machine has the memory) but exceed the fuzzer's own limit.
bool screensFit() {
    auto key = [](const char* name, int def) { return int64_t{qt::readIniInt("screen", name, def, "qRun.ini")}; };
    const int64_t sw = key("screensizeWidth", 320), sh = key("screensizeHeight", 240);
    const int64_t ww = key("wincsizeWidth", 640), wh = key("wincsizeHeight", 480);
    const int64_t wp = key("wincsizeWidthP", 0), hp = key("wincsizeHeightP", 0);
    const int64_t count = static_cast<int16_t>(key("hUserMDC_num", 2));
    auto area = [](int64_t w, int64_t h) { return w > 0 && h > 0 && w <= 16384 && h <= 16384 ? w * h : 0; };
    const int64_t pixels = (std::max<int64_t>(count, 2) + 3) * area(sw, sh) + 2 * area(ww, wh) + area(ww + wp, wh + hp);
    return pixels <= (int64_t{48} << 20) / 4;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qt::engine;
    static GameFolder folder;
    if (folder.path.empty() || size == 0) return 0;
    if (std::FILE* f = std::fopen((folder.path + "/qRun.ini").c_str(), "wb")) {
        std::fwrite(data + 1, 1, size - 1, f);
        std::fclose(f);
    }
    if (!screensFit()) return 0;
    const std::filesystem::path started = std::filesystem::current_path();
    std::filesystem::current_path(folder.path);

    qt::platform::HeadlessBackend backend(qt::platform::HeadlessOptions{});
    // The first byte chooses the text: glyphs drawn by FreeType, or none.
    static const auto freetype = qt::platform::createFreeTypeText();
    static const auto none = qt::platform::createNullText();
    static const auto sound = qt::platform::createSilentSound();
    Engine engine;
    engine.backend = &backend;
    engine.text = (data[0] & 1) != 0 ? freetype.get() : none.get();
    engine.sound = sound.get();
    engine.exitNow = [](int) {};
    Interpreter interpreter(engine);
    engine.host = &interpreter;
    if (startUp(engine)) {
        qt::fuzz::playThrough(engine, interpreter, 40);
    }
    interpreter.releaseForRestart();
    std::filesystem::current_path(started);
    return 0;
}
