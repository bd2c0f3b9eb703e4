#pragma once
// Running the built qRun copied into a temporary game folder.
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "engine_test_support.h"

namespace qt::engine::test {

struct RunResult {
    int exitCode = -1;
    std::string out, err;  // UTF-8 as written
};

class QRunFolder : public TempFolder {
public:
    QRunFolder() {
        const char* bin = std::getenv("QT_BIN_DIR");
        const std::string from = std::string(bin != nullptr ? bin : ".") + "/qRun";
        std::filesystem::copy_file(from, file("qRun"));
        std::filesystem::permissions(file("qRun"), std::filesystem::perms::owner_all);
    }

    std::string read(const std::string& name) const {
        std::ifstream in(file(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // Runs qRun with `args` (shell words) from the folder and an
    // environment prefix such as "DISPLAY=".
    RunResult run(const std::string& args, const std::string& env = "") const {
        const std::string cmd = "cd '" + path() + "' && " + "LSAN_OPTIONS=print_suppressions=0 " + env + " timeout -s KILL 60 ./qRun " + args + " >'" +
                                file("stdout.txt") + "' 2>'" + file("stderr.txt") + "'";
        const int status = std::system(cmd.c_str());
        RunResult r;
        r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = read("stdout.txt");
        r.err = read("stderr.txt");
        return r;
    }
};

}  // namespace qt::engine::test
