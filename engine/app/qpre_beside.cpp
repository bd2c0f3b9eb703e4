#include "engine/app/qpre_beside.h"

#include <fcntl.h>
#include <poll.h>
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
    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0) {
        messages = std::string(msg::qpreNotStarted.utf8()) + path + " (" + std::strerror(errno) + ")";
        return -1;
    }
    if (::pipe2(err, O_CLOEXEC) != 0) {
        messages = std::string(msg::qpreNotStarted.utf8()) + path + " (" + std::strerror(errno) + ")";
        ::close(out[0]);
        ::close(out[1]);
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
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
    ::close(err[1]);
    std::string said[2];
    if (started == 0) {
        pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
        for (int open = 2; open > 0;) {
            if (::poll(fds, 2, -1) < 0) {
                if (errno == EINTR) continue;
                break;
            }
            for (int i = 0; i < 2; ++i) {
                if (fds[i].fd < 0 || fds[i].revents == 0) continue;
                char buffer[4096];
                const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
                if (n < 0 && errno == EINTR) continue;
                if (n > 0) {
                    said[i].append(buffer, static_cast<size_t>(n));
                } else {
                    fds[i].fd = -1;
                    --open;
                }
            }
        }
    }
    ::close(out[0]);
    ::close(err[0]);
    if (started != 0) {
        messages = std::string(msg::qpreNotStarted.utf8()) + path + " (" + std::strerror(started) + ")";
        return -1;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    // Errors in a source are reported, yet their file is written: a report
    // fails the conversion as much as the exit code does.
    messages = said[1].empty() ? said[0] : said[1];
    if (!WIFEXITED(status)) {
        messages += msg::qpreKilled.utf8();
        return -1;
    }
    return WEXITSTATUS(status) != 0 ? WEXITSTATUS(status) : !said[1].empty();
}

}  // namespace qt::engine
