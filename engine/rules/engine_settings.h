#pragma once
// The keys of qRun.ini that decide how a scenario plays, read the one way
// both the engine and qPre --check read them.
#include <cstddef>
#include <cstdint>

namespace qt::engine {

// Settings file of the engine, beside the executable.
inline constexpr char kIniFile[] = "qRun.ini";

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

struct ScreenSizes {
    int32_t screenWidth, screenHeight, windowWidth, windowHeight;
};
ScreenSizes readScreenSizes();

// [honbun] basePos (x, y) and fontSizeStyle (size, style, flags); false when
// malformed.
bool readBasePos(ListSetting& out);
bool readFontSizeStyle(ListSetting& out);
// Lines of body text lie two font sizes apart.
int32_t linePitchFor(int32_t fontSize);

// [screen] hUserMDC_num as written, and the count of user screens the table
// then has (at least 2; the table keeps 16 bits).
int32_t readUserScreenCount();
int16_t userScreenCount(int32_t configured);
// An ID curid accepts: -2 (spare) to the user screen count.
inline bool isValidScreenId(int32_t id, int32_t count) { return id >= -2 && id <= count; }

// [main] FirstScenario.
void readFirstScenario(char* dest, size_t size);

}  // namespace qt::engine
