// Numerals, byte kinds, CP932 conversion and the settings reader on arbitrary bytes.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "common/cp932.h"
#include "common/exe_folder.h"
#include "common/ini_file.h"
#include "common/numeral.h"
#include "common/paths.h"
#include "common/sjis.h"

namespace {

// The settings file lives in a folder of its own, removed at exit.
struct FuzzFolder {
    std::string path;
    FuzzFolder() {
        char tmpl[] = "/tmp/qt_fuzz_iniXXXXXX";
        if (mkdtemp(tmpl) != nullptr) path = tmpl;
        std::snprintf(qt::exeFolder, sizeof qt::exeFolder, "%s", path.c_str());
    }
    ~FuzzFolder() {
        std::error_code ec;
        if (!path.empty()) std::filesystem::remove_all(path, ec);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    qt::numeralValue(text.c_str());
    qt::numeralInt(text.c_str());
    for (size_t i = 0; i <= text.size(); ++i) {
        const int kind = qt::byteKind(text.c_str(), text.c_str() + i);
        if (i == 0 && kind == 2) __builtin_trap();
    }
    if (qt::sameText(text.c_str(), text.c_str()) != 0) __builtin_trap();
    if (qt::toSlashes(text).size() != text.size()) __builtin_trap();
    qt::utf8ToCp932(qt::cp932ToUtf8(text));
    qt::isValidCp932(text);

    static FuzzFolder folder;
    if (folder.path.empty()) return 0;
    const std::string path = folder.path + "/fuzz.ini";
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    char value[16];
    std::memset(value, 'x', sizeof value);
    qt::readIniString("main", "key", "default", value, sizeof value, "fuzz.ini");
    if (std::strlen(value) >= sizeof value) __builtin_trap();
    qt::readIniInt("Main", "KEY", 7, "fuzz.ini");
    qt::readIniNumber("main", "key", 7, "fuzz.ini");
    return 0;
}
