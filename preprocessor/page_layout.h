#pragma once
// Where body text stands on the page. One state serves the whole run: a file
// converted after another starts on the page where that one ended.
#include <cstdint>

#include "preprocessor/pre_settings.h"

namespace qt::pre {

struct PageLayout {
    int16_t pageWidth = kDefaultPageWidth;    // bytes per display line, as the break test uses it
    int16_t pageHeight = kDefaultPageHeight;  // as the page test uses it
    int32_t pageLine = 1;                     // display line the next body text goes to
};

}  // namespace qt::pre
