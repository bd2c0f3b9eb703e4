#include "preprocessor/finish_exe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "common/paths.h"

namespace qt::pre {

namespace {

[[noreturn]] void execDetached(const std::string& path, bool executable) {
    const int null = ::open("/dev/null", O_RDWR);
    if (null >= 0) {
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(null, 2);
        if (null > 2) ::close(null);
    }
    if (executable) {
        char* const argv[] = {const_cast<char*>(path.c_str()), nullptr};
        ::execv(path.c_str(), argv);
        if (errno == ENOEXEC) {
            // A script without an interpreter line runs in the shell.
            // clang-format off
            char* const shArgv[] = {const_cast<char*>("sh"), const_cast<char*>(path.c_str()),
                                    nullptr};
            // clang-format on
            ::execv("/bin/sh", shArgv);
        }
    } else {
        // clang-format off
        char* const argv[] = {const_cast<char*>("xdg-open"), const_cast<char*>(path.c_str()),
                              nullptr};
        // clang-format on
        ::execvp("xdg-open", argv);
    }
    ::_exit(127);
}

}  // namespace

bool startFinishExe(const char* cp932Path) {
    const auto disk = resolveExisting(cp932Path);
    if (!disk) return false;
    struct stat st;
    const bool executable = ::stat(disk->c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
                            ::access(disk->c_str(), X_OK) == 0;
    const std::string& path = *disk;

    // Twice forked, so that the started program is nobody's child to wait for.
    const pid_t child = ::fork();
    if (child < 0) return true;
    if (child == 0) {
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild == 0) execDetached(path, executable);
        ::_exit(0);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return true;
}

}  // namespace qt::pre
