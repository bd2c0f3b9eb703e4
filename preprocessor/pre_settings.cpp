#include "preprocessor/pre_settings.h"

#include <cstring>

#include "common/ini_file.h"

namespace qt::pre {

namespace {

void readExtension(const char* key, const char* def, char* dest) {
    readIniString("main", key, def, dest, kExtSize, kIniName);
    // One leading dot is dropped: ".txt" and "txt" mean the same.
    if (dest[0] == '.') std::memmove(dest, dest + 1, std::strlen(dest));
}

}  // namespace

PreSettings loadSettings() {
    PreSettings s;
    if (readIniInt("main", "finishExit", 0, kIniName) == 1) s.waitForEnter = false;
    s.warnings = readIniInt("main", "warnings", 0, kIniName) == 1;
    readExtension("extBefore", "txt", s.extBefore);
    readExtension("extAfter", "dat", s.extAfter);
    s.pageWidth = iniPageWidth();
    s.pageHeight = iniPageHeight();
    readIniString("filelist", "fileListFilePath", "filelist.ini", s.fileListPath, kPathSize, kIniName);
    return s;
}

int16_t iniPageWidth() { return low16(readIniInt("honbun", "pageWidth", kDefaultPageWidth, kIniName)); }

int16_t iniPageHeight() { return low16(readIniInt("honbun", "pageHeight", kDefaultPageHeight, kIniName)); }

void readFinishExe(char* dest, size_t size) { readIniString("main", "finishExeRun", "", dest, size, kIniName); }

}  // namespace qt::pre
