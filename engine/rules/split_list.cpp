#include "engine/rules/split_list.h"

#include "common/sjis.h"

namespace qt::engine {

int splitList(char* text, int capacity, char** fields) {
    int count = 1;
    fields[0] = text;
    // byteKind is measured from the start of the whole text; keep the run of
    // lead bytes ourselves so a long value is scanned once.
    int leadRun = 0;
    char* p = text;
    while (*p != '\0') {
        const bool ownCharacter = (leadRun % 2) == 0;
        if (ownCharacter && p[0] == ',' && p[1] == ',') {
            *p = '\0';
            p += 2;
            leadRun = 0;
            if (count == capacity) return -capacity;
            fields[count++] = p;
            continue;
        }
        leadRun = isLeadByte(static_cast<unsigned char>(*p)) ? leadRun + 1 : 0;
        ++p;
    }
    return count;
}

}  // namespace qt::engine
