#include "engine/core/message_box.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/core/engine.h"

namespace qt::engine {

namespace {

using platform::ColorRef;
using platform::rgb;

constexpr int kMargin = 16, kIcon = 32, kGap = 12, kLineHeight = 16, kLinePitch = 20;
constexpr int kButtonWidth = 88, kButtonHeight = 26, kFooter = kButtonHeight + 2 * 12;
constexpr int kMinWidth = 240, kMaxTextWidth = 1200, kMaxLines = 60;
constexpr ColorRef kWhite = rgb(255, 255, 255), kFooterGrey = rgb(240, 240, 240), kInk = rgb(0, 0, 0);

// Plain filled shapes, tested per pixel centre: boxes are small and drawn once.
template <typename Inside>
void fillShape(platform::Surface& s, int x0, int y0, int size, ColorRef color, Inside inside) {
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if (inside(x + 0.5, y + 0.5)) s.setPixel(x0 + x, y0 + y, color);
}

void drawIcon(platform::Surface& s, int x0, int y0, platform::BoxIcon icon) {
    const double c = kIcon / 2.0;
    if (icon == platform::BoxIcon::stop) {
        // A red disc with a white cross.
        fillShape(s, x0, y0, kIcon, rgb(200, 30, 30),
                  [&](double x, double y) { return (x - c) * (x - c) + (y - c) * (y - c) <= c * c; });
        fillShape(s, x0, y0, kIcon, kWhite, [&](double x, double y) {
            const double dx = x - c, dy = y - c;
            const bool onDiagonal = std::min(std::abs(dx - dy), std::abs(dx + dy)) <= 2.5;
            return onDiagonal && std::abs(dx) <= 8 && std::abs(dy) <= 8;
        });
        return;
    }
    // A yellow triangle with a black exclamation mark.
    fillShape(s, x0, y0, kIcon, rgb(250, 200, 20),
              [&](double x, double y) { return y >= 2 && y <= kIcon - 2 && std::abs(x - c) <= (y - 2) / 1.9; });
    fillShape(s, x0, y0, kIcon, kInk, [&](double x, double y) {
        return std::abs(x - c) <= 1.6 && ((y >= 10 && y <= 22) || (y >= 25 && y <= 28));
    });
}

std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (lines.size() < kMaxLines) {
        const size_t end = text.find('\n', start);
        std::string_view line = text.substr(start, end == std::string_view::npos ? end : end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return lines;
}

}  // namespace

bool drawMessageBox(platform::Text& text, std::string_view textCp932, platform::BoxIcon icon,
                    platform::BoxPicture& out) {
    platform::FontRequest request;
    request.face = "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e";  // ＭＳ ゴシック
    request.height = kLineHeight;
    request.antialiased = true;
    const std::unique_ptr<platform::Font> font = text.createFont(request);
    if (!font) return false;

    const std::vector<std::string_view> lines = linesOf(textCp932);
    int textWidth = 0;
    for (std::string_view line : lines) textWidth = std::max(textWidth, font->textWidth(line));
    textWidth = std::min(textWidth, kMaxTextWidth);
    const int textLeft = kMargin + kIcon + kGap;
    const int textHeight = static_cast<int>(lines.size() - 1) * kLinePitch + font->cellHeight();
    const int body = kMargin + std::max(textHeight, kIcon) + kMargin;
    const int width = std::max(kMinWidth, textLeft + textWidth + kMargin);
    const int height = body + kFooter;
    if (!out.picture.create(width, height, kWhite)) return false;

    platform::Surface& s = out.picture;
    drawIcon(s, kMargin, kMargin, icon);
    // A single line stands level with the icon's middle.
    int y = kMargin + std::max(0, (kIcon - textHeight) / 2);
    for (std::string_view line : lines) {
        font->draw(s, textLeft, y, line, kInk, std::nullopt);
        y += kLinePitch;
    }

    platform::fillRect(s, 0, body, width, kFooter, kFooterGrey);
    out.okWidth = kButtonWidth;
    out.okHeight = kButtonHeight;
    out.okX = width - kMargin - kButtonWidth;
    out.okY = body + (kFooter - kButtonHeight) / 2;
    platform::fillRect(s, out.okX, out.okY, kButtonWidth, kButtonHeight, rgb(0, 120, 215));
    platform::fillRect(s, out.okX + 1, out.okY + 1, kButtonWidth - 2, kButtonHeight - 2, rgb(225, 225, 225));
    font->draw(s, out.okX + (kButtonWidth - font->textWidth("OK")) / 2,
               out.okY + (kButtonHeight - font->cellHeight()) / 2, "OK", kInk, std::nullopt);
    return true;
}

void showMessageBox(Engine& engine, std::string_view captionCp932, std::string_view textCp932, platform::BoxIcon icon) {
    platform::BoxPicture drawn;
    const bool hasPicture = engine.backend->showsMessageBoxes() && engine.text != nullptr &&
                            drawMessageBox(*engine.text, textCp932, icon, drawn);
    engine.backend->messageBox(captionCp932, textCp932, icon, hasPicture ? &drawn : nullptr);
}

}  // namespace qt::engine
