#pragma once
// The argument table every command handler reads by position.
#include <cstddef>
#include <cstdint>

namespace qt::engine {

inline constexpr int kArgSlots = 10;
inline constexpr size_t kPathSlotSize = 261;    // slots 0 and 1: paths
inline constexpr size_t kNumeralSlotSize = 33;  // slots 2 to 9: numerals

struct CommandArgs {
    char path[2][kPathSlotSize] = {};
    char numeral[kArgSlots - 2][kNumeralSlotSize] = {};
    int32_t count = 0;  // argCount

    // The text of slot i (the empty text for a slot outside the table).
    const char* slot(int i) const;
    // Empties every slot.
    void clear();
    // Copies `field` into the next slot, cut to the slot's size. False when
    // every slot is taken.
    bool append(const char* field);
};

}  // namespace qt::engine
