#pragma once
// qPre.ini: the keys the preprocessor reads and their defaults.
#include <cstdint>

#include "common/exe_folder.h"

namespace qt::pre {

inline constexpr char kIniName[] = "qPre.ini";
inline constexpr int kDefaultPageWidth = 60;
inline constexpr int kDefaultPageHeight = 10;
inline constexpr size_t kExtSize = 8;  // at most 7 bytes
inline constexpr size_t kFinishExeSize = 261;

struct PreSettings {
    bool waitForEnter = true;
    bool warnings = false;  // warnings for authors on the console
    char extBefore[kExtSize] = "txt";
    char extAfter[kExtSize] = "dat";
    int16_t pageWidth = kDefaultPageWidth;
    int16_t pageHeight = kDefaultPageHeight;
    char fileListPath[kPathSize] = "filelist.ini";
    bool startFinishExe = true;  // after a file-list run without failures
};

// Reads every start-up key of qPre.ini (exeFolder must be set).
PreSettings loadSettings();

// The page sizes as a directive without a value restores them.
int16_t iniPageWidth();
int16_t iniPageHeight();

// finishExeRun, read when it is needed.
void readFinishExe(char* dest, size_t size);

// Low 16 bits, as the layout keeps its sizes.
inline int16_t low16(int32_t value) {
    return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(value) & 0xFFFFu));
}

}  // namespace qt::pre
