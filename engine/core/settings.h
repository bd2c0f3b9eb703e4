#pragma once
// Reading the engine's settings file: list values and the screen keys.
#include <cstdint>

namespace qt::engine {

struct Engine;

// A list value read from qRun.ini: at most 32 characters, up to 8 fields.
struct ListSetting {
    char text[33] = {};
    char* fields[8] = {};
    int count = 0;  // as splitList returned it

    // Field i converted by the numeral rules (0 for a field not present).
    int32_t number(int i) const;
};

// Reads the key as text of at most `maxChars` characters (default `def`) and
// splits it with `capacity`. False when it has fewer than `needed` fields or
// more than `capacity` (the value is then malformed).
bool readListSetting(const char* section, const char* key, const char* def, int maxChars, int needed, int capacity,
                     ListSetting& out);

// screensizeWidth/Height, wincsizeWidth/Height, scaleMode and fullscreen.
void readScreenSettings(Engine& engine);

}  // namespace qt::engine
