// Test helper: finds its own folder, works there and prints one setting of
// ini_probe.ini: the folder (UTF-8), the working folder, then the raw value.
#include <unistd.h>

#include <cstdio>

#include "common/cp932.h"
#include "common/exe_folder.h"
#include "common/ini_file.h"

int main() {
    if (!qt::getExeFolder(qt::exeFolder)) return 2;
    if (chdir(qt::exeFolderOnDisk()) != 0) return 3;
    char cwd[4096];
    char value[64];
    qt::readIniString("probe", "key", "(none)", value, sizeof value, "ini_probe.ini");
    std::printf("%s\n%s\n%s\n", qt::cp932ToUtf8(qt::exeFolder).c_str(), getcwd(cwd, sizeof cwd) ? cwd : "",
                value);
    return 0;
}
