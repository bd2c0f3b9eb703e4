#pragma once
// A bare Debian 12 root (scripts/deps/bare-root) for one test: an overlay on
// the cached root, so nothing the test does stays; /proc mounted, host folders
// bound in on request; all undone when it goes.
#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace qt::test {

class BareRoot {
public:
    // Why this machine cannot have one (not root, no cached root, no
    // overlay); empty when it can.
    static std::string missing();

    BareRoot();
    ~BareRoot();
    BareRoot(const BareRoot&) = delete;
    BareRoot& operator=(const BareRoot&) = delete;

    bool ready() const { return ready_; }
    // The root as the host sees it.
    const std::string& path() const { return merged_; }
    // `host` seen at `inside` (an absolute path in the root).
    bool bind(const std::string& host, const std::string& inside);

    // Runs `command` by /bin/sh inside the root with only `env` set, killed
    // after `seconds`: the exit code (-1 when killed), output in `out`, `err`.
    // `wrap` goes before chroot on the host (e.g. strace).
    int run(const std::string& command, const std::vector<std::string>& env = {}, int seconds = 60,
            const std::string& wrap = "");
    std::string out, err;

private:
    TempFolder work_;
    std::string merged_;
    std::vector<std::string> mounts_;  // innermost last
    bool ready_ = false;
};

// The root cached by scripts/deps/bare-root.
std::string bareRootCache();

}  // namespace qt::test
