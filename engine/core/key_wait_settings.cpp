#include "engine/core/key_wait_settings.h"

#include "common/ini_file.h"
#include "engine/core/engine.h"
#include "engine/core/error_reports.h"
#include "engine/core/messages.h"
#include "engine/core/settings.h"

namespace qt::engine {

uint8_t flashMaskOf(int32_t period) {
    const uint32_t shift = static_cast<uint32_t>(period) & 31u;
    return static_cast<uint8_t>((1u << shift) & 0xFFu);
}

bool readKeyWaitSettings(Engine& engine) {
    KeyWaitSettings& s = engine.keyWait;
    readIniString("keywait", "viewstr", "KEYWAIT", s.viewstr, sizeof s.viewstr, kIniFile);

    ListSetting list;
    if (!readListSetting("keywait", "viewstrXY_flasher", "-64,,-16,,7", 31, 3, 4, list)) {
        showErrorBox(engine, msg::viewstrXYBad.cp932());
        return false;
    }
    s.dx = static_cast<int16_t>(list.number(0));
    s.dy = static_cast<int16_t>(list.number(1));
    s.flashMask = flashMaskOf(list.number(2));

    if (!readListSetting("keywait", "OnColorOffColor", "&H00ffff,,&H000000", 31, 2, 4, list)) {
        showErrorBox(engine, msg::onOffColorBad.cp932());
        return false;
    }
    s.onColor = static_cast<platform::ColorRef>(list.number(0));
    s.offColor = static_cast<platform::ColorRef>(list.number(1));
    const int32_t mouse = readIniInt("keywait", "mouseAdvance", 0, kIniFile);
    s.mouseAdvance = mouse == 1 || mouse == 2 ? mouse : 0;
    return true;
}

}  // namespace qt::engine
