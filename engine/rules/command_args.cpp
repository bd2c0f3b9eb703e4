#include "engine/rules/command_args.h"

#include <cstring>

#include "common/sjis.h"

namespace qt::engine {

const char* CommandArgs::slot(int i) const {
    if (i < 0 || i >= kArgSlots) return "";
    return i < 2 ? path[i] : numeral[i - 2];
}

void CommandArgs::clear() {
    for (auto& s : path) s[0] = '\0';
    for (auto& s : numeral) s[0] = '\0';
    count = 0;
}

bool CommandArgs::append(const char* field) {
    if (count >= kArgSlots) return false;
    char* dest = count < 2 ? path[count] : numeral[count - 2];
    const size_t room = (count < 2 ? kPathSlotSize : kNumeralSlotSize) - 1;
    size_t n = ::strnlen(field, room);
    // A cut never leaves half of a two-byte character behind.
    if (n == room && field[n] != '\0' && byteKind(field, field + n) == 2) --n;
    std::memcpy(dest, field, n);
    dest[n] = '\0';
    ++count;
    return true;
}

}  // namespace qt::engine
