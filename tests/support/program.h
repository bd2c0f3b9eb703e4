#pragma once
// A program run by the shell in a folder, with no input and in bounded time.
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "support/temp_folder.h"

namespace qt::test {

// The exit code, -1 when it was killed; what it printed goes to `out` and `err`.
inline int runIn(const std::string& dir, const std::string& command, std::string& out, std::string& err) {
    const std::string line = "cd '" + dir + "' && LC_ALL=C.UTF-8 LSAN_OPTIONS=print_suppressions=0 timeout -s KILL 60 " +
                             command + " </dev/null >.out 2>.err";
    const int status = std::system(line.c_str());
    out = readFile(dir + "/.out");
    err = readFile(dir + "/.err");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace qt::test
