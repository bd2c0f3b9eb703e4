#pragma once
// The folder of the running executable; both programs make it their working
// folder and read their settings from it.
#include <cstddef>

namespace qt {

constexpr size_t kPathSize = 260;     // path buffers: at most 259 bytes
constexpr size_t kIniPathSize = 264;  // settings path: folder + "/" + name

// CP932 text, no trailing "/". Filled once at start-up by getExeFolder.
extern char exeFolder[kPathSize];

// Fills `buffer` (kPathSize bytes) with the executable's folder in CP932.
// Returns false when the executable's path cannot be read, holds no "/",
// or does not fit the buffer; the buffer then holds the empty text.
bool getExeFolder(char* buffer);

// The executable's folder as the file system spells it (no conversion),
// for chdir. Empty when it cannot be read.
const char* exeFolderOnDisk();

}  // namespace qt
