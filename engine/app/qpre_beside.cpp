#include "engine/app/qpre_beside.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "common/exe_folder.h"
#include "engine/core/messages.h"

extern char** environ;

namespace qt::engine {

int runQPreBeside(std::string& messages) {
    messages.clear();
    const std::string path = std::string(exeFolderOnDisk()) + "/qPre";
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) {
        messages = std::string(msg::qpreNotStarted.utf8()) + path + " (" + std::strerror(errno) + ")";
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, out[1], 2);
    // Its console in UTF-8 whatever the locale, as the engine reads it.
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        if (std::strncmp(*e, "LC_ALL=", 7) != 0) env.emplace_back(*e);
    }
    env.emplace_back("LC_ALL=C");
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string batch = "--batch";
    char* argv[] = {const_cast<char*>(path.c_str()), batch.data(), nullptr};
    pid_t pid = 0;
    const int started = ::posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (started != 0) {
        ::close(out[0]);
        messages = std::string(msg::qpreNotStarted.utf8()) + path + " (" + std::strerror(started) + ")";
        return -1;
    }
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(out[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        messages.append(buffer, static_cast<size_t>(n));
    }
    ::close(out[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    messages += msg::qpreKilled.utf8();
    return -1;
}

}  // namespace qt::engine
