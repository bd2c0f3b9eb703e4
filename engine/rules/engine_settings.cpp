#include "engine/rules/engine_settings.h"

#include <algorithm>

#include "common/ini_file.h"
#include "common/numeral.h"
#include "engine/rules/split_list.h"

namespace qt::engine {

int32_t ListSetting::number(int i) const {
    if (i < 0 || i >= count) return 0;
    return numeralInt(fields[i]);
}

bool readListSetting(const char* section, const char* key, const char* def, int maxChars, int needed, int capacity,
                     ListSetting& out) {
    if (maxChars > 32) maxChars = 32;
    if (capacity > 8) capacity = 8;
    readIniString(section, key, def, out.text, static_cast<size_t>(maxChars) + 1, kIniFile);
    out.count = splitList(out.text, capacity, out.fields);
    return out.count >= needed;
}

ScreenSizes readScreenSizes() {
    return {
        readIniInt("screen", "screensizeWidth", 320, kIniFile), readIniInt("screen", "screensizeHeight", 240, kIniFile),
        readIniInt("screen", "wincsizeWidth", 640, kIniFile), readIniInt("screen", "wincsizeHeight", 480, kIniFile)};
}

bool readBasePos(ListSetting& out) { return readListSetting("honbun", "basePos", "24,,24", 32, 2, 8, out); }

bool readFontSizeStyle(ListSetting& out) {
    return readListSetting("honbun", "fontSizeStyle", "20,,0000,,0", 32, 3, 8, out);
}

int32_t linePitchFor(int32_t fontSize) {
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t{2} * fontSize, INT32_MIN, INT32_MAX));
}

int32_t readUserScreenCount() { return readIniInt("screen", "hUserMDC_num", 2, kIniFile); }

int16_t userScreenCount(int32_t configured) {
    const auto count = static_cast<int16_t>(configured);
    return count < 2 ? int16_t{2} : count;
}

void readFirstScenario(char* dest, size_t size) { readIniString("main", "FirstScenario", "", dest, size, kIniFile); }

}  // namespace qt::engine
