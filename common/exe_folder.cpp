#include "common/exe_folder.h"

#include <unistd.h>

#include <climits>
#include <cstring>
#include <string>

#include "common/cp932.h"

namespace qt {

char exeFolder[kPathSize] = "";

namespace {

std::string& onDisk() {
    static std::string folder;
    return folder;
}

}  // namespace

bool getExeFolder(char* buffer) {
    buffer[0] = '\0';
    char path[PATH_MAX];
#ifdef __EMSCRIPTEN__
    // In the browser there is no executable file: the page puts the game's
    // files into this folder, and qRun counts as lying beside them.
    std::strcpy(path, "/game/qRun");
#else
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return false;
    path[n] = '\0';
#endif
    char* slash = std::strrchr(path, '/');
    if (slash == nullptr) return false;
    *slash = '\0';
    onDisk() = slash == path ? "/" : path;
    // CP932 inside; a name that is not valid UTF-8 stays as it is on disk.
    std::string folder = utf8ToCp932(path);
    if (folder.size() >= kPathSize) return false;
    std::memcpy(buffer, folder.c_str(), folder.size() + 1);
    return true;
}

const char* exeFolderOnDisk() { return onDisk().c_str(); }

}  // namespace qt
