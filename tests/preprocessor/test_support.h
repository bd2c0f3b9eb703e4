#pragma once
// Temporary folders, whole files and a conversion fixture for the tests.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/cp932.h"
#include "common/exe_folder.h"
#include "common/scenario_format.h"
#include "preprocessor/converter.h"
#include "support/temp_folder.h"

namespace qt::pre::test {

inline const std::string kHeader = scenario::kHeaderLine;

// UTF-8 test text as the CP932 bytes the programs see.
inline std::string sj(const std::string& utf8) { return utf8ToCp932(utf8); }

using qt::test::readFile;
using qt::test::writeFile;
using TempDir = qt::test::TempFolder;
inline bool fileExists(const std::string& path) { return std::filesystem::exists(path); }

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
    std::string caption(int line) const { return "エラー　" + src_ + "　LINE:" + std::to_string(line) + ": "; }

    TempDir dir_;
    std::string src_ = dir_ / "scene.txt";
    std::string dst_ = dir_ / "scene.dat";
    PageLayout layout_;
    Converter converter_{layout_};
};

}  // namespace qt::pre::test
