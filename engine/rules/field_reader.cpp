#include "engine/rules/field_reader.h"

#include "common/scenario_format.h"

namespace qt::engine {

namespace {

constexpr char kCR = scenario::kLineEnd[0], kLF = scenario::kLineEnd[1];

bool isBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

bool isHeaderField(const char* field) {
    const auto* h = reinterpret_cast<const unsigned char*>(field);
    return h != nullptr && h[0] == scenario::kHeaderMarker[0] && h[1] == scenario::kHeaderMarker[1];
}

void FieldReader::reset(const char* data, size_t size) {
    data_ = data;
    size_ = data == nullptr ? 0 : size;
    pos_ = fieldStart_ = 0;
    contentEnd_ = size_;
    while (contentEnd_ > 0 && isBlank(data_[contentEnd_ - 1])) --contentEnd_;
}

std::optional<std::string_view> FieldReader::next() {
    if (atEnd()) return std::nullopt;
    while (isBlank(data_[pos_])) ++pos_;  // atEnd() guarantees a non-blank byte follows

    const size_t start = pos_;
    size_t end = pos_;
    bool quoting = false;
    for (;;) {
        if (end >= size_) {
            pos_ = end;
            break;
        }
        const char c = data_[end];
        if (c == '"') {
            quoting = !quoting;
        } else if ((c == scenario::kArgSeparator && !quoting) || c == kLF || c == '\0') {
            pos_ = end + 1;
            break;
        } else if (c == kCR && (end + 1 == size_ || data_[end + 1] == kLF)) {
            pos_ = end + 1 == size_ ? size_ : end + 2;
            break;
        }
        ++end;
    }
    fieldStart_ = start;
    return std::string_view(data_ + start, end - start);
}

}  // namespace qt::engine
