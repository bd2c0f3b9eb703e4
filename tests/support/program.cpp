#include "support/program.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

namespace qt::test {

namespace {

std::string builtProgram(const std::string& name) {
    const char* bin = std::getenv("QT_BIN_DIR");
    return std::string(bin != nullptr ? bin : ".") + "/" + name;
}

}  // namespace

pid_t spawn(const std::vector<std::string>& argv, const std::string& dir, const std::vector<std::string>& env,
            const std::string& in, const std::string& out, const std::string& err, int keepFd) {
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    ::dup2(::open(in.c_str(), O_RDONLY), 0);
    ::dup2(::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
    ::dup2(::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
    for (int fd = 3; fd < 1024; ++fd)
        if (fd != keepFd) ::close(fd);
    ::setenv("LSAN_OPTIONS", "print_suppressions=0", 1);
    for (const std::string& e : env) ::putenv(const_cast<char*>(e.c_str()));
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    if (::chdir(dir.c_str()) == 0) ::execvp(args[0], args.data());
    ::_exit(127);
}

ProgramFolder::ProgramFolder(const std::vector<std::string>& programs, const std::string& under) : under_(under) {
    std::filesystem::create_directories(programDir());
    for (const std::string& p : programs) std::filesystem::copy_file(builtProgram(p), programDir() + "/" + p);
    if (!programs.empty()) first_ = programs[0];
}

void ProgramFolder::ini(const std::string& bytes, const std::string& program) const {
    writeFile(programDir() + "/" + (program.empty() ? first_ : program) + ".ini", bytes);
}

int ProgramFolder::run(const std::string& command, const std::string& input) {
    io_.write("in", input);
    const pid_t pid = spawn({"timeout", "-s", "KILL", "60", "/bin/sh", "-c", command}, path(), {"LC_ALL=C.UTF-8"},
                            io_ / "in", io_ / "out", io_ / "err");
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) continue;
    out = io_.read("out");
    err = io_.read("err");
    // timeout ends with 137 when it had to kill.
    return WIFEXITED(status) && WEXITSTATUS(status) != 137 ? WEXITSTATUS(status) : -1;
}

int ProgramFolder::runBuilt(const std::string& program, const std::string& args) {
    return run(std::string("'").append(builtProgram(program)).append("' ").append(args));
}

void ProgramFolder::copyDemo(const std::string& demoDir) {
    for (const auto& entry : std::filesystem::directory_iterator(demoDir)) {
        const std::string ext = entry.path().extension();
        if (ext == ".txt" || ext == ".ini")
            std::filesystem::copy_file(entry.path(), programDir() + "/" + entry.path().filename().string());
    }
    runBuilt("make_assets", under_.empty() ? "." : under_);
}

}  // namespace qt::test
