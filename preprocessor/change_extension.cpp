#include "preprocessor/change_extension.h"

#include <cstring>

#include "common/sjis.h"

namespace qt::pre {

int changeExtension(char* path, size_t size, const char* ext) {
    const size_t length = std::strlen(path);
    const size_t extLength = std::strlen(ext);
    // Only the file name's own dot counts: a dot in a folder name would send
    // the output into the parent folder under that folder's name.
    char* dot = nullptr;
    for (char* p = path + length; p > path; --p) {
        const char c = p[-1];
        if (c == '/' || (c == '\\' && byteKind(path, p - 1) == 0)) break;
        if (c == '.') {
            dot = p - 1;
            break;
        }
    }
    if (dot != nullptr) {
        if (size <= length + extLength) return 0;
        std::memcpy(dot + 1, ext, extLength + 1);
        return 1;
    }
    if (size <= length + extLength + 1) return 0;
    path[length] = '.';
    std::memcpy(path + length + 1, ext, extLength + 1);
    return 2;
}

}  // namespace qt::pre
