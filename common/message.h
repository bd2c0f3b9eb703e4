#pragma once
// A fixed message text: written once in the source as UTF-8, handed out as
// CP932 (converted on first use) for the program's insides.
#include <string>

namespace qt {

class Message {
public:
    explicit Message(const char* utf8) : utf8_(utf8) {}
    const char* utf8() const { return utf8_; }
    const std::string& cp932() const;
    const char* c_str() const { return cp932().c_str(); }

private:
    const char* utf8_;
    mutable std::string cp932_;
    mutable bool converted_ = false;
};

}  // namespace qt
