#include "common/cp932.h"

#ifdef QT_CP932_TABLE
// No CP932 in this C library: the tables made from glibc's.
#include "common/cp932_table.h"

namespace qt {

std::string cp932ToUtf8(std::string_view cp932) { return cp932table::cp932ToUtf8(cp932); }
std::string utf8ToCp932(std::string_view utf8) { return cp932table::utf8ToCp932(utf8); }
bool isValidCp932(std::string_view cp932) { return cp932table::isValidCp932(cp932); }
bool isValidUtf8(std::string_view text) { return cp932table::isValidUtf8(text); }
StrictConversion utf8ToCp932Strict(std::string_view utf8, std::string* cp932) {
    return cp932table::utf8ToCp932Strict(utf8, cp932);
}

}  // namespace qt

#else

#include <iconv.h>

#include <cerrno>
#include <cstdint>

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

    // Converts all of `in`, appending to `out` unless it is null; false at
    // the first sequence that does not convert, with its offset in `stop`.
    bool runStrict(std::string_view in, std::string* out, size_t* stop) const {
        *stop = 0;
        if (cd_ == reinterpret_cast<iconv_t>(-1)) return false;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        char buf[4096];
        while (srcLeft > 0) {
            char* dst = buf;
            size_t dstLeft = sizeof buf;
            const size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            if (out) out->append(buf, static_cast<size_t>(dst - buf));
            if (r == static_cast<size_t>(-1) && errno != E2BIG) {
                *stop = static_cast<size_t>(src - in.data());
                return false;
            }
        }
        return true;
    }

    // Converts `in`; an unconvertible byte is copied through unchanged and
    // the conversion resumes after it. `clean` reports whether that happened.
    std::string run(std::string_view in, bool* clean = nullptr) const {
        if (clean) *clean = true;
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            if (clean) *clean = false;
            return std::string(in);
        }
        std::string out;
        out.reserve(in.size() * 3 / 2 + 8);
        for (size_t stop = 0; !runStrict(in, &out, &stop);) {
            if (clean) *clean = false;
            out.push_back(in[stop]);
            in.remove_prefix(stop + 1);
        }
        return out;
    }

    // The first character of `in` as a code point; false when `in` does not
    // begin with one (this converter must produce UTF-32LE).
    bool firstCharacter(std::string_view in, char32_t* c) const {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) return false;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        unsigned char buf[4];
        char* dst = reinterpret_cast<char*>(buf);
        size_t dstLeft = sizeof buf;
        iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
        if (dstLeft != 0) return false;
        *c = static_cast<char32_t>(buf[0] | buf[1] << 8 | buf[2] << 16 | static_cast<uint32_t>(buf[3]) << 24);
        return true;
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

const Converter& toUtf32() {
    static const Converter c("UTF-32LE", "UTF-8");
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

bool isValidUtf8(std::string_view text) {
    size_t stop = 0;
    return toUtf32().runStrict(text, nullptr, &stop);
}

StrictConversion utf8ToCp932Strict(std::string_view utf8, std::string* cp932) {
    StrictConversion result;
    std::string out;
    if (toCp932().runStrict(utf8, &out, &result.offset)) {
        *cp932 = std::move(out);
        return result;
    }
    // iconv says EILSEQ for both; telling them apart takes a second look.
    using Status = StrictConversion::Status;
    const bool decoded = toUtf32().firstCharacter(utf8.substr(result.offset, 4), &result.character);
    result.status = decoded ? Status::noCp932Form : Status::notUtf8;
    return result;
}

}  // namespace qt

#endif
