#pragma once
// A folder for one test's files, removed with the object.
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace qt::platform::test {

class TempFolder {
public:
    TempFolder() {
        char name[] = "/tmp/qt_platform_XXXXXX";
        path_ = mkdtemp(name);
    }
    ~TempFolder() { std::filesystem::remove_all(path_); }
    // Writes `bytes` (when given) to the file and returns its path.
    std::string file(const std::string& name, const std::string* bytes = nullptr) const {
        const std::string path = path_ + "/" + name;
        if (bytes) std::ofstream(path, std::ios::binary) << *bytes;
        return path;
    }
    std::string write(const std::string& name, const std::string& bytes) const { return file(name, &bytes); }

private:
    std::string path_;
};

}  // namespace qt::platform::test
