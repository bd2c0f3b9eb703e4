#include "common/exe_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "temp_folder.h"

namespace fs = std::filesystem;

namespace {

std::string run(const std::string& command) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (p == nullptr) return out;
    char buf[512];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    EXPECT_EQ(pclose(p), 0) << command;
    return out;
}

// A copy of a program built on the library finds its settings beside itself,
// wherever it is started from, even through a symbolic link.
TEST(ExeFolder, CopiedProgramFindsItsIniFile) {
    const char* bin = std::getenv("QT_BIN_DIR");
    ASSERT_NE(bin, nullptr);
    TempFolder folder;
    const std::string game = folder.path + "/ゲーム 1";
    folder.write("ゲーム 1/ini_probe.ini", "[Probe]\r\nkey = \x83\x51\x81\x5B\x83\x80\r\n");
    fs::copy_file(fs::path(bin) / "ini_probe", game + "/ini_probe");
    fs::create_symlink(game + "/ini_probe", folder.path + "/link");
    const std::string expected = game + "\n" + game + "\n\x83\x51\x81\x5B\x83\x80\n";
    EXPECT_EQ(run("cd / && '" + game + "/ini_probe'"), expected);
    EXPECT_EQ(run("cd / && '" + folder.path + "/link'"), expected);
}

TEST(ExeFolder, ThisProgramsFolder) {
    char folder[qt::kPathSize];
    ASSERT_TRUE(qt::getExeFolder(folder));
    const std::string self = fs::canonical("/proc/self/exe").parent_path().string();
    EXPECT_EQ(std::string(qt::exeFolderOnDisk()), self);
}

}  // namespace
