#pragma once
// Built programs as a user runs them: copied from $QT_BIN_DIR into a fresh
// folder beside their settings, run there in bounded time.
#include <sys/types.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_folder.h"

namespace qt::test {

// Polls `done` every 20 ms for up to `ms`; true once it holds.
template <typename Done>
bool poll(Done done, int ms = 20000) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;; std::this_thread::sleep_for(std::chrono::milliseconds(20))) {
        if (done()) return true;
        if (std::chrono::steady_clock::now() > until) return false;
    }
}

// Starts `argv` (found on PATH) in `dir` with `env` ("NAME=value") added,
// reading `in` and writing `out` and `err`; every descriptor but `keepFd` is
// closed, and the child is killed should the test end first.
pid_t spawn(const std::vector<std::string>& argv, const std::string& dir, const std::vector<std::string>& env,
            const std::string& in, const std::string& out, const std::string& err, int keepFd = -1);

class ProgramFolder : public TempFolder {
public:
    // The built `programs` copied into `under`, a folder inside this one.
    explicit ProgramFolder(const std::vector<std::string>& programs, const std::string& under = "");

    // The settings of `program` (the first one when empty), beside it.
    void ini(const std::string& bytes, const std::string& program = "") const;
    // Where the programs are.
    std::string programDir() const { return under_.empty() ? path() : file(under_); }

    // Runs the shell line `command` here with `input` as standard input, killed
    // after 60 s: the exit code, -1 when killed; its output in `out` and `err`.
    int run(const std::string& command, const std::string& input = "");
    // Runs a built program that stays where it was built, here.
    int runBuilt(const std::string& program, const std::string& args);
    // The demo game beside the programs, as scripts/demo lays it out: its
    // sources and settings from `demoDir`, its pictures and sounds made.
    void copyDemo(const std::string& demoDir);
    std::string out, err;

private:
    std::string under_, first_;
    TempFolder io_;
};

}  // namespace qt::test
