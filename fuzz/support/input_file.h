#pragma once
// The fuzz input as a file, for code that takes paths: one file per process,
// written again for every input and removed when the process ends.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace qt::fuzz {

// The file's path, or empty when the input could not be written. `name` and
// `extension` are those of the first call.
inline std::string writeInputFile(const char* name, const char* extension, const uint8_t* data, size_t size) {
    static const struct InputFile {
        std::string path;
        InputFile(const char* n, const char* e)
            : path("/tmp/" + std::string(n) + "_" + std::to_string(::getpid()) + e) {}
        ~InputFile() { std::remove(path.c_str()); }
    } file(name, extension);
    std::FILE* f = std::fopen(file.path.c_str(), "wb");
    if (f == nullptr) return {};
    const bool written = std::fwrite(data, 1, size, f) == size;
    if (std::fclose(f) != 0 || !written) return {};
    return file.path;
}

}  // namespace qt::fuzz
