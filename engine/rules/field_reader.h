#pragma once
// Splits a preprocessed scenario into fields: bytes up to an unquoted comma
// or a line end, blanks in front of each skipped.
#include <cstddef>
#include <optional>
#include <string_view>

namespace qt::engine {

// Whether the first field of a file marks it as a preprocessed scenario.
bool isHeaderField(const char* field);

class FieldReader {
public:
    // The text stays the caller's.
    void reset(const char* data, size_t size);
    // Nothing left but blanks.
    bool atEnd() const { return pos_ >= contentEnd_; }
    // The next field, viewing the text; nothing at the end.
    std::optional<std::string_view> next();
    // Where the last field began in the text, and where the next is looked for.
    size_t fieldStart() const { return fieldStart_; }
    size_t position() const { return pos_; }

private:
    const char* data_ = nullptr;
    size_t size_ = 0;
    size_t pos_ = 0;
    size_t contentEnd_ = 0;  // after the last byte that is not a blank
    size_t fieldStart_ = 0;
};

}  // namespace qt::engine
