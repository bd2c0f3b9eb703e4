#pragma once
// The whole source file in memory, followed by two 0 bytes. The buffer is
// kept for the run and grows only when a larger file comes.
#include <cstddef>
#include <cstdlib>
#include <memory>

namespace qt::pre {

inline constexpr size_t kMaxSourceSize = 1048576;

class SourceText {
  public:
    // False when the file cannot be opened or read, is empty, or holds more
    // than kMaxSourceSize bytes.
    bool load(const char* cp932Path);

    const unsigned char* begin() const { return data_.get(); }
    size_t size() const { return size_; }

  private:
    struct Free {
        void operator()(unsigned char* p) const { std::free(p); }
    };
    std::unique_ptr<unsigned char, Free> data_;
    size_t capacity_ = 0;
    size_t size_ = 0;
};

}  // namespace qt::pre
