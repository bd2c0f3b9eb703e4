#include "common/cp932.h"

#include <iconv.h>

#include <cerrno>

namespace qt {

namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts `in`; an unconvertible byte is copied through unchanged and
    // the conversion resumes after it. `clean` reports whether that happened.
    std::string run(std::string_view in, bool* clean = nullptr) const {
        std::string out;
        if (clean) *clean = true;
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            if (clean) *clean = false;
            return std::string(in);
        }
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        out.reserve(in.size() * 3 / 2 + 8);
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        char buf[1024];
        while (srcLeft > 0) {
            char* dst = buf;
            size_t dstLeft = sizeof buf;
            const size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            out.append(buf, static_cast<size_t>(dst - buf));
            if (r == static_cast<size_t>(-1)) {
                if (errno == E2BIG) continue;
                // EILSEQ or EINVAL: keep the offending byte and go on.
                if (clean) *clean = false;
                out.push_back(*src);
                ++src;
                --srcLeft;
                iconv(cd_, nullptr, nullptr, nullptr, nullptr);
            }
        }
        return out;
    }

private:
    iconv_t cd_;
};

const Converter& toUtf8() {
    static const Converter c("UTF-8", "CP932");
    return c;
}

const Converter& toCp932() {
    static const Converter c("CP932", "UTF-8");
    return c;
}

}  // namespace

std::string cp932ToUtf8(std::string_view cp932) { return toUtf8().run(cp932); }

std::string utf8ToCp932(std::string_view utf8) { return toCp932().run(utf8); }

bool isValidCp932(std::string_view cp932) {
    bool clean = true;
    toUtf8().run(cp932, &clean);
    return clean;
}

}  // namespace qt
