#pragma once
// Byte classes as one table, for the per-byte loops of the conversion: the
// lead-byte test and the bytes at which each kind of run stops.
#include <array>
#include <cstdint>

#include "common/sjis.h"

namespace qt::pre {

enum ByteFlag : uint8_t {
    kLeadByte = 1,
    kBodyStop = 2,    // 0, "<", CR
    kQuotedStop = 4,  // 0, CR, double quote, ","
    kPlainStop = 8,   // 0, "<", ",", ";", CR
};

class ByteClassTable {
public:
    ByteClassTable() {
        for (int b = 0; b < 256; ++b) {
            if (isLeadByte(static_cast<unsigned char>(b)) != 0) flags_[b] |= kLeadByte;
        }
        for (const unsigned char b : {'\0', '<', '\r'}) flags_[b] |= kBodyStop;
        for (const unsigned char b : {'\0', '\r', '"', ','}) flags_[b] |= kQuotedStop;
        for (const unsigned char b : {'\0', '<', ',', ';', '\r'}) flags_[b] |= kPlainStop;
    }
    uint8_t operator[](unsigned char b) const { return flags_[b]; }

private:
    std::array<uint8_t, 256> flags_{};
};

inline const ByteClassTable kBytes;

// Length of the character at `p`: a lead byte forms a pair with the byte
// after it, except when that byte ends the text.
inline int charLength(const unsigned char* p) { return ((kBytes[p[0]] & kLeadByte) != 0 && p[1] != 0) ? 2 : 1; }

// Moves past whole characters up to the first byte in `stop`.
inline const unsigned char* skipRun(const unsigned char* p, uint8_t stop) {
    while ((kBytes[*p] & stop) == 0) p += charLength(p);
    return p;
}

}  // namespace qt::pre
