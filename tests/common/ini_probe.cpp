// Test helper: finds its folder, works there and prints the folder (UTF-8),
// the working folder and the raw value of [probe] key in ini_probe.ini.
#include <unistd.h>

#include <cstdio>

#include "common/cp932.h"
#include "common/exe_folder.h"
#include "common/ini_file.h"

int main() {
    if (!qt::getExeFolder(qt::exeFolder) || chdir(qt::exeFolderOnDisk()) != 0) return 2;
    char cwd[4096], value[64];
    qt::readIniString("probe", "key", "(none)", value, sizeof value, "ini_probe.ini");
    std::printf("%s\n%s\n%s\n", qt::cp932ToUtf8(qt::exeFolder).c_str(),
                getcwd(cwd, sizeof cwd) ? cwd : "", value);
}
