#include "engine/platform/text.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace qt::platform {

namespace {

class NullFont final : public Font {
public:
    explicit NullFont(int height) : height_(height > 0 ? height : 1) {}

    void draw(Surface& dst, int x, int y, std::string_view cp932, ColorRef,
              std::optional<ColorRef> background) override {
        if (background) fillRect(dst, x, y, textWidth(cp932), height_, *background);
    }
    int textWidth(std::string_view cp932) override {
        const int64_t width = static_cast<int64_t>(std::min<size_t>(cp932.size(), 1u << 20)) * (height_ / 2);
        return static_cast<int>(std::min<int64_t>(width, INT32_MAX));
    }
    int cellHeight() const override { return height_; }
    int ascent() const override { return height_ - height_ / 5; }
    std::string familyName() const override { return std::string(); }

private:
    int height_;
};

class NullText final : public Text {
public:
    std::unique_ptr<Font> createFont(const FontRequest& request) override {
        return std::make_unique<NullFont>(request.height);
    }
    std::unique_ptr<Font> createFixedFont(int cellHeight = 12) override {
        return std::make_unique<NullFont>(cellHeight);
    }
};

}  // namespace

std::unique_ptr<Text> createNullText() { return std::make_unique<NullText>(); }

}  // namespace qt::platform
