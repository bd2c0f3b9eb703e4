#pragma once
// Temporary folders, whole files and a conversion fixture for the tests.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "common/cp932.h"
#include "common/exe_folder.h"
#include "preprocessor/converter.h"

namespace qt::pre::test {

inline const std::string kHeader = "\x82\xA9\r\n";

// UTF-8 test text as the CP932 bytes the programs see.
inline std::string sj(const std::string& utf8) { return utf8ToCp932(utf8); }

inline void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}
inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
inline bool fileExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

class TempDir {
  public:
    TempDir() {
        char tmpl[] = "/tmp/qpre_test_XXXXXX";
        path_ = ::mkdtemp(tmpl);
        ::chmod(path_.c_str(), 0755);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// Converts sources in a temporary folder that is also exeFolder (for the
// directives that reread qPre.ini).
class ConversionTest : public ::testing::Test {
  protected:
    void SetUp() override { std::snprintf(exeFolder, sizeof exeFolder, "%s", dir_.path().c_str()); }
    void TearDown() override { exeFolder[0] = '\0'; }

    // What follows the header; reports on standard error go to `report`.
    std::string convert(const std::string& source, std::string* report = nullptr) {
        writeFile(src_, source);
        testing::internal::CaptureStderr();
        EXPECT_EQ(converter_.convertFile(src_.c_str(), dst_.c_str()), 0) << source;
        const std::string err = testing::internal::GetCapturedStderr();
        if (report != nullptr) *report = err;
        const std::string out = readFile(dst_);
        EXPECT_EQ(out.substr(0, 4), kHeader);
        return out.substr(4);
    }
    std::string caption(int line) const {
        return "エラー　" + src_ + "　LINE:" + std::to_string(line) + ": ";
    }

    TempDir dir_;
    std::string src_ = dir_ / "scene.txt";
    std::string dst_ = dir_ / "scene.dat";
    PageLayout layout_;
    Converter converter_{layout_};
};

}  // namespace qt::pre::test
