#include "engine/app/restart.h"

#include <unistd.h>

#include <climits>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "engine/core/error_reports.h"
#include "engine/core/messages.h"

namespace qt::engine {

namespace {

std::string ownPath() {
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return {};
    path[n] = '\0';
    return path;
}

}  // namespace

void replaceProcess(const std::vector<std::string>& arguments) {
    const std::string path = ownPath();
    if (path.empty()) {
        note(msg::restartFailed.utf8() + std::string(std::strerror(errno)));
        return;
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::fflush(nullptr);
    ::execv(path.c_str(), argv.data());
    note(msg::restartFailed.utf8() + std::string(std::strerror(errno)));
}

}  // namespace qt::engine
