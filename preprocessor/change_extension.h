#pragma once
#include <cstddef>

namespace qt::pre {

// Replaces the extension of the file name in `path` (a buffer of `size`
// bytes) with `ext`, or appends "." + ext when the name has none.
// 0: no room, the buffer is unchanged; 1: replaced; 2: appended.
int changeExtension(char* path, size_t size, const char* ext);

}  // namespace qt::pre
