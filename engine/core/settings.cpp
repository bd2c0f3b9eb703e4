#include "engine/core/settings.h"

#include "common/ini_file.h"
#include "common/numeral.h"
#include "engine/core/engine.h"
#include "engine/core/split_list.h"

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

void readScreenSettings(Engine& engine) {
    engine.screenWidth = readIniInt("screen", "screensizeWidth", 320, kIniFile);
    engine.screenHeight = readIniInt("screen", "screensizeHeight", 240, kIniFile);
    engine.windowWidth = readIniInt("screen", "wincsizeWidth", 640, kIniFile);
    engine.windowHeight = readIniInt("screen", "wincsizeHeight", 480, kIniFile);
    const int32_t mode = readIniInt("screen", "scaleMode", -1, kIniFile);
    engine.scaleMode = mode >= kScaleNone && mode <= kScaleWhole ? mode : -1;
    if (readIniInt("screen", "fullscreen", 0, kIniFile) == 1) engine.fullscreenAsked = true;
}

}  // namespace qt::engine
