// Numerals, byte kinds and the settings reader on arbitrary bytes.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "common/exe_folder.h"
#include "common/ini_file.h"
#include "common/numeral.h"
#include "common/sjis.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    qt::numeralValue(text.c_str());
    qt::numeralInt(text.c_str());
    for (size_t i = 0; i <= text.size(); ++i) {
        const int kind = qt::byteKind(text.c_str(), text.c_str() + i);
        if (i == 0 && kind == 2) __builtin_trap();
    }

    static std::string folder;
    if (folder.empty()) {
        char tmpl[] = "/tmp/qt_fuzz_iniXXXXXX";
        folder = mkdtemp(tmpl);
        std::snprintf(qt::exeFolder, sizeof qt::exeFolder, "%s", folder.c_str());
    }
    const std::string path = folder + "/fuzz.ini";
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    char value[16];
    qt::readIniString("main", "key", "default", value, sizeof value, "fuzz.ini");
    if (std::strlen(value) >= sizeof value) __builtin_trap();
    qt::readIniInt("Main", "KEY", 7, "fuzz.ini");
    qt::readIniNumber("main", "key", 7, "fuzz.ini");
    return 0;
}
