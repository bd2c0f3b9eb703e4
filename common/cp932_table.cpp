#include "common/cp932_table.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "common/utf8.h"

namespace qt::cp932table {

namespace {

#include "cp932_table.inc"

constexpr uint32_t kNone = 0xFFFFFFFFu, kLead = 0xFFFFFFFEu;

// The character at `at`: its code point and length in bytes, or 0 bytes
// where iconv stops (no character, or a lead byte without its partner).
size_t decodeCp932(std::string_view in, size_t at, uint32_t& cp) {
    const auto b = static_cast<unsigned char>(in[at]);
    const uint32_t one = kSingle[b];
    if (one == kNone) return 0;
    if (one != kLead) {
        cp = one;
        return 1;
    }
    if (at + 1 >= in.size()) return 0;
    const uint16_t two = kDouble[kLeadRow[b]][static_cast<unsigned char>(in[at + 1])];
    if (two == 0) return 0;
    cp = two;
    return 2;
}

// One UTF-8 sequence as glibc reads it: shortest form, no surrogates, at
// most U+10FFFF. 0 bytes when there is none at `at`.
size_t decodeUtf8(std::string_view in, size_t at, uint32_t& cp) {
    const auto* p = reinterpret_cast<const unsigned char*>(in.data()) + at;
    const size_t left = in.size() - at;
    const unsigned char b = p[0];
    size_t n = 0;
    uint32_t c = 0, min = 0;
    if (b < 0x80) {
        cp = b;
        return 1;
    } else if (b >= 0xC2 && b <= 0xDF) {
        n = 2, c = b & 0x1F, min = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3, c = b & 0x0F, min = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4, c = b & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (left < n) return 0;
    for (size_t i = 1; i < n; ++i) {
        if ((p[i] & 0xC0) != 0x80) return 0;
        c = c << 6 | (p[i] & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) return 0;
    cp = c;
    return n;
}

// The CP932 form of a code point; false when it has none. glibc drops the
// language tags (U+E0000 to U+E007F) on the way.
bool encodeCp932(uint32_t cp, std::string& out) {
    if (cp >= 0xE0000 && cp <= 0xE007F) return true;
    if (cp > 0xFFFF) return false;
    const uint32_t key = cp << 16;
    const uint32_t* it = std::lower_bound(std::begin(kReverse), std::end(kReverse), key);
    if (it == std::end(kReverse) || (*it >> 16) != cp) return false;
    const uint32_t bytes = *it & 0xFFFF;
    if (bytes > 0xFF) out += static_cast<char>(bytes >> 8);
    out += static_cast<char>(bytes & 0xFF);
    return true;
}

// Converts all of `in`; where a sequence does not convert, its first byte is
// kept as it is and the conversion goes on after it (as the iconv loop does).
template <typename Step>
std::string tolerant(std::string_view in, bool* clean, Step step) {
    std::string out;
    out.reserve(in.size() * 3 / 2 + 8);
    if (clean) *clean = true;
    for (size_t at = 0; at < in.size();) {
        const size_t used = step(in, at, out);
        if (used == 0) {
            if (clean) *clean = false;
            out += in[at++];
        } else {
            at += used;
        }
    }
    return out;
}

size_t toUtf8Step(std::string_view in, size_t at, std::string& out) {
    uint32_t cp = 0;
    const size_t n = decodeCp932(in, at, cp);
    if (n != 0) appendUtf8(out, cp);
    return n;
}

size_t toCp932Step(std::string_view in, size_t at, std::string& out) {
    uint32_t cp = 0;
    const size_t n = decodeUtf8(in, at, cp);
    if (n == 0 || !encodeCp932(cp, out)) return 0;
    return n;
}

}  // namespace

std::string cp932ToUtf8(std::string_view cp932) { return tolerant(cp932, nullptr, toUtf8Step); }

std::string utf8ToCp932(std::string_view utf8) { return tolerant(utf8, nullptr, toCp932Step); }

bool isValidCp932(std::string_view cp932) {
    uint32_t cp = 0;
    for (size_t at = 0; at < cp932.size();) {
        const size_t n = decodeCp932(cp932, at, cp);
        if (n == 0) return false;
        at += n;
    }
    return true;
}

bool isValidUtf8(std::string_view text) {
    uint32_t cp = 0;
    for (size_t at = 0; at < text.size();) {
        const size_t n = decodeUtf8(text, at, cp);
        if (n == 0) return false;
        at += n;
    }
    return true;
}

StrictConversion utf8ToCp932Strict(std::string_view utf8, std::string* cp932) {
    StrictConversion result;
    std::string out;
    for (size_t at = 0; at < utf8.size();) {
        uint32_t cp = 0;
        const size_t n = decodeUtf8(utf8, at, cp);
        if (n == 0 || !encodeCp932(cp, out)) {
            result.offset = at;
            result.status = n == 0 ? StrictConversion::Status::notUtf8 : StrictConversion::Status::noCp932Form;
            if (n != 0) result.character = cp;
            return result;
        }
        at += n;
    }
    *cp932 = std::move(out);
    return result;
}

}  // namespace qt::cp932table
