#include "support/bare_root.h"

#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "support/program.h"

namespace qt::test {

namespace fs = std::filesystem;

std::string bareRootCache() { return std::string(QT_SOURCE_DIR) + "/build/deps/bare-root/root"; }

namespace {

// Root is not always enough: a container may refuse overlay or proc mounts.
std::string mountsRefused() {
    static const std::string why = [] {
        std::error_code ec;
        const fs::path probe = fs::temp_directory_path() / ("qt-overlay-probe-" + std::to_string(::getpid()));
        for (const char* dir : {"lower", "upper", "work", "merged"}) fs::create_directories(probe / dir, ec);
        const std::string options = "lowerdir=" + (probe / "lower").string() +
                                    ",upperdir=" + (probe / "upper").string() + ",workdir=" + (probe / "work").string();
        std::string refused;
        if (::mount("overlay", (probe / "merged").c_str(), "overlay", 0, options.c_str()) != 0)
            refused = std::string("this machine refuses overlay mounts: ") + std::strerror(errno);
        else ::umount2((probe / "merged").c_str(), MNT_DETACH);
        fs::remove_all(probe, ec);
        return refused;
    }();
    return why;
}

}  // namespace

std::string BareRoot::missing() {
    if (::geteuid() != 0) return "not root";
    if (!fs::exists(bareRootCache() + "/.qt-ready")) return "no bare Debian root (./scripts/setup --player makes it)";
    return mountsRefused();
}

BareRoot::BareRoot() {
    if (!missing().empty()) return;
    for (const char* dir : {"upper", "work", "merged"}) fs::create_directory(work_ / dir);
    merged_ = work_ / "merged";
    const std::string options = "lowerdir=" + bareRootCache() + ",upperdir=" + (work_ / "upper") +
                                ",workdir=" + (work_ / "work");
    if (::mount("overlay", merged_.c_str(), "overlay", 0, options.c_str()) != 0) return;
    mounts_.push_back(merged_);
    if (::mount("proc", (merged_ + "/proc").c_str(), "proc", 0, nullptr) != 0) return;
    mounts_.push_back(merged_ + "/proc");
    ready_ = true;
}

BareRoot::~BareRoot() {
    for (auto it = mounts_.rbegin(); it != mounts_.rend(); ++it) ::umount2(it->c_str(), MNT_DETACH);
}

bool BareRoot::bind(const std::string& host, const std::string& inside) {
    std::error_code ec;
    const std::string target = merged_ + inside;
    if (fs::is_directory(host)) fs::create_directories(target, ec);
    else {
        fs::create_directories(fs::path(target).parent_path(), ec);
        writeFile(target, "");
    }
    if (::mount(host.c_str(), target.c_str(), nullptr, MS_BIND | MS_REC, nullptr) != 0) return false;
    mounts_.push_back(target);
    return true;
}

int BareRoot::run(const std::string& command, const std::vector<std::string>& env, int seconds,
                  const std::string& wrap) {
    std::string line = "exec timeout -s KILL " + std::to_string(seconds) + " " + wrap + " chroot '" + merged_ +
                       "' /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin";
    for (const std::string& e : env) line += " '" + e + "'";
    line += " /bin/sh -c '" + command + "'";
    writeFile(work_ / "in", "");
    const pid_t pid = spawn({"/bin/sh", "-c", line}, "/", {}, work_ / "in", work_ / "out", work_ / "err");
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) continue;
    out = readFile(work_ / "out");
    err = readFile(work_ / "err");
    return WIFEXITED(status) && WEXITSTATUS(status) != 137 ? WEXITSTATUS(status) : -1;
}

}  // namespace qt::test
