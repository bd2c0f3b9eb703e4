// The image command e: a BMP or PNG file drawn onto the current virtual screen.
#include <string>

#include "common/numeral.h"
#include "engine/core/engine.h"
#include "engine/core/error_reports.h"
#include "engine/core/messages.h"
#include "engine/interpreter/image_command.h"
#include "engine/interpreter/interpreter.h"
#include "engine/rules/command_rules.h"

namespace qt::engine {

namespace {

bool endsWithPercent(const char* text) {
    const std::string_view s(text);
    return !s.empty() && s.back() == '%';
}

// p percent of `size`, the quotient rounded to single precision, then
// truncated toward zero.
int32_t percentOf(int32_t p, int32_t size) {
    const double product = static_cast<double>(static_cast<int64_t>(p) * size);
    const float quotient = static_cast<float>(product / 100.0);
    return numeralToInt(static_cast<double>(quotient));
}

}  // namespace

int drawImageFile(Engine& engine, const char* path, int32_t x, int32_t y, int32_t width, int32_t height, int32_t srcX,
                  int32_t srcY, int32_t srcWidth, int32_t srcHeight, int32_t transparency, bool widthPercent,
                  bool heightPercent) {
    platform::Surface& image = engine.screens.loading;
    // PNG pixels less than half opaque take the clear colour, so that they
    // are see-through wherever the clear colour is.
    if (!loadImageFile(path, image, engine.screens.getClearColor())) {
        showErrorBox(engine, msg::imageLoadFailed.cp932() + path);
        return -1;
    }
    platform::Surface* target = engine.screens.getDC(engine.screens.curID);
    if (widthPercent) width = percentOf(width, image.width());
    if (heightPercent) height = percentOf(height, image.height());
    if (srcWidth == 0) srcWidth = image.width();
    if (srcHeight == 0) srcHeight = image.height();
    if (target == nullptr) return 0;
    if (engine.screens.curID == 0) engine.output.beforeDrawingOnPresentation(engine);
    if (transparency == -2) {
        platform::stretchCopy(*target, x, y, width, height, image, srcX, srcY, srcWidth, srcHeight);
    } else {
        const platform::ColorRef color = transparency == -1 ? engine.screens.getClearColor()
                                                            : static_cast<platform::ColorRef>(transparency);
        platform::transparentCopy(*target, x, y, width, height, image, srcX, srcY, srcWidth, srcHeight, color);
    }
    return 0;
}

void imageCommand(Interpreter& interpreter) {
    Engine& engine = interpreter.engine();
    const CommandArgs& a = interpreter.commandArgs;
    const auto [screenWidth, screenHeight] = engine.screens.getScreenSize(kCurrentScreen);
    int32_t width = 0, height = 0;
    bool widthPercent = false, heightPercent = false, widthFit = false;

    const char* w = a.slot(3);
    if (w[0] == '\0') {
        width = 100;
        widthPercent = true;
    } else if (w[0] == 'f') {
        width = screenWidth;
        height = screenHeight;
        widthFit = true;
    } else {
        widthPercent = endsWithPercent(w);
        width = numeralInt(w);
    }
    const char* h = a.slot(4);
    if (h[0] == '\0') {
        height = 100;
        heightPercent = true;
    } else if (h[0] == 'f') {
        if (!widthFit) height = screenHeight;
    } else {
        heightPercent = endsWithPercent(h);
        height = numeralInt(h);
    }

    if (!imageCountAccepted(a.count)) {
        showErrorBox(engine, msg::imageCountBad.cp932());
        return;
    }
    int32_t x = 0, y = 0, transparency = -1, srcX = 0, srcY = 0, srcWidth = 0, srcHeight = 0;
    switch (a.count) {
        case 10:
            srcWidth = numeralInt(a.slot(8));
            srcHeight = numeralInt(a.slot(9));
            [[fallthrough]];
        case 8:
            srcX = numeralInt(a.slot(6));
            srcY = numeralInt(a.slot(7));
            [[fallthrough]];
        case 6: transparency = numeralInt(a.slot(5)); [[fallthrough]];
        case 5:
        case 3:
            x = numeralInt(a.slot(1));
            y = numeralInt(a.slot(2));
            break;
        default: break;  // one argument: the file alone
    }
    if (drawImageFile(engine, a.slot(0), x, y, width, height, srcX, srcY, srcWidth, srcHeight, transparency,
                      widthPercent, heightPercent) == -1) {
        showErrorBox(engine, msg::imageReadFailed.cp932());
    }
}

}  // namespace qt::engine
