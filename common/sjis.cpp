#include "common/sjis.h"

namespace qt {

int isLeadByte(unsigned char byte) {
    return ((byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC)) ? -1 : 0;
}

int byteKind(const char* start, const char* pos) {
    if (pos < start) return -1;
    int run = 0;
    for (const char* p = pos; p > start && isLeadByte(static_cast<unsigned char>(p[-1])); --p) {
        ++run;
    }
    if (run % 2 == 1) return 2;
    return isLeadByte(static_cast<unsigned char>(*pos)) ? 1 : 0;
}

int sameText(const char* a, const char* b) {
    for (;; ++a, ++b) {
        if (*a != *b) return -1;
        if (*a == '\0') return 0;
    }
}

}  // namespace qt
