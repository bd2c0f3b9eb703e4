#include "common/exe_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/program.h"

// A copy of a program on the library finds the settings beside itself, from
// any working folder, through a symbolic link, in a folder whose name does not
// survive the round trip through CP932 unchanged (U+301C).
TEST(ExeFolder, CopiedProgramFindsItsIniFile) {
    qt::test::ProgramFolder folder({"ini_probe"}, "ゲーム〜1");
    folder.ini("[Probe]\r\nkey = \x83\x51\x81\x5B\x83\x80\r\n");
    std::filesystem::create_symlink(folder.programDir() + "/ini_probe", folder / "link");
    for (const std::string& program : {folder.programDir() + "/ini_probe", folder / "link"}) {
        EXPECT_EQ(folder.run("cd / && '" + program + "'"), 0) << folder.err;
        EXPECT_EQ(folder.out, folder.path() + "/ゲーム～1\n" + folder.programDir() + "\n\x83\x51\x81\x5B\x83\x80\n");
    }
}
