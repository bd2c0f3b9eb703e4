#pragma once
// Whole files, and a fresh folder for one test removed with everything in it.
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace qt::test {

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
// Parents are made; returns the path.
inline std::string writeFile(const std::string& path, const std::string& bytes) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    return path;
}

class TempFolder {
public:
    TempFolder() {
        char name[] = "/tmp/qt_test_XXXXXX";
        path_ = mkdtemp(name);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }
    // `name` is relative to the folder and spelled as on disk.
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    std::string operator/(const std::string& name) const { return file(name); }
    std::string write(const std::string& name, const std::string& bytes) const { return writeFile(file(name), bytes); }
    std::string read(const std::string& name) const { return readFile(file(name)); }

private:
    std::string path_;
};

}  // namespace qt::test
