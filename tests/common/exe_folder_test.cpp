#include "common/exe_folder.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "support/temp_folder.h"

namespace fs = std::filesystem;

static std::string run(const std::string& command) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    char buf[512];
    for (size_t n; p && (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
    EXPECT_EQ(p ? pclose(p) : -1, 0) << command;
    return out;
}

// A copy of a program on the library finds the settings beside itself, from
// any working folder, through a symbolic link, in a folder whose name does not
// survive the round trip through CP932 unchanged (U+301C).
TEST(ExeFolder, CopiedProgramFindsItsIniFile) {
    ASSERT_NE(std::getenv("QT_BIN_DIR"), nullptr);
    qt::test::TempFolder folder;
    const std::string game = folder.path() + "/ゲーム〜1";
    folder.write("ゲーム〜1/ini_probe.ini", "[Probe]\r\nkey = \x83\x51\x81\x5B\x83\x80\r\n");
    fs::copy_file(fs::path(std::getenv("QT_BIN_DIR")) / "ini_probe", game + "/ini_probe");
    fs::create_symlink(game + "/ini_probe", folder.path() + "/link");
    const std::string expected =
        folder.path() + "/ゲーム～1\n" + game + "\n\x83\x51\x81\x5B\x83\x80\n";
    EXPECT_EQ(run("cd / && '" + game + "/ini_probe'"), expected);
    EXPECT_EQ(run("cd / && '" + folder.path() + "/link'"), expected);
}
