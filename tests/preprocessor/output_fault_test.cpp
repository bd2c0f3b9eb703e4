// Destinations that cannot be written: each conversion gives -1, the
// previous destination stays as it was and no temporary file is left.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

#include "preprocessor/converter.h"
#include "test_support.h"

namespace qt::pre {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

std::set<std::string> listFolder(const std::string& path) {
    std::set<std::string> names;
    if (DIR* d = ::opendir(path.c_str())) {
        while (const dirent* e = ::readdir(d)) {
            const std::string name = e->d_name;
            if (name != "." && name != "..") names.insert(name);
        }
        ::closedir(d);
    }
    return names;
}

// Runs `body` in a child process and returns its exit status.
int inChild(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(body());
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

class OutputFaultTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::mkdir(out_.c_str(), 0755);
        writeFile(src_, "abc\r\n/e 1\r\n");
        writeFile(dst_, "previous");
    }
    int convert() { return converter_.convertFile(src_.c_str(), dst_.c_str()); }
    void expectUntouched() {
        EXPECT_EQ(readFile(dst_), "previous");
        EXPECT_EQ(listFolder(out_), std::set<std::string>{"scene.dat"});
    }

    TempDir dir_;
    std::string src_ = dir_ / "scene.txt";
    std::string out_ = dir_ / "out";
    std::string dst_ = out_ + "/scene.dat";
    PageLayout layout_;
    Converter converter_{layout_};
};

TEST_F(OutputFaultTest, ReadOnlyFolder) {
    ::chmod(out_.c_str(), 0555);
    const std::string open = dir_ / "open";
    ::mkdir(open.c_str(), 0777);
    ::chmod(open.c_str(), 0777);
    const std::string elsewhere = open + "/scene.dat";
    // Root may write anywhere: the conversion runs as an ordinary user, who
    // can convert the same source into a writable folder.
    const int result = inChild([&] {
        if (::geteuid() == 0 && ::setuid(65534) != 0) return 90;
        if (converter_.convertFile(src_.c_str(), elsewhere.c_str()) != 0) return 2;
        return convert() == -1 ? 0 : 1;
    });
    ::chmod(out_.c_str(), 0755);
    EXPECT_EQ(result, 0);
    expectUntouched();
}

TEST_F(OutputFaultTest, DestinationLockedByAnotherOpenFile) {
    const int other = ::open(dst_.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(convert(), -1);
    ::close(other);
    expectUntouched();
    EXPECT_EQ(convert(), 0);
    EXPECT_EQ(readFile(dst_), "\x82\xA9\r\nabc\r\n/e,1,;\r\n");
}

TEST_F(OutputFaultTest, FullDisk) {
    std::string big;
    while (big.size() < 300000) big += "0123456789012345678901234567890123456789\r\n";
    writeFile(src_, big);
    const int result = inChild([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{100000, 100000};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 90;
        return convert() == -1 ? 0 : 1;
    });
    EXPECT_EQ(result, 0);
    expectUntouched();
}

TEST_F(OutputFaultTest, DestinationThatCannotBeCreated) {
    const std::string noFolder = dir_ / "missing/scene.dat";
    EXPECT_EQ(converter_.convertFile(src_.c_str(), noFolder.c_str()), -1);
    EXPECT_EQ(converter_.convertFile(src_.c_str(), out_.c_str()), -1);
    expectUntouched();
}

TEST_F(OutputFaultTest, ReplacedDestinationKeepsItsModeAndLinks) {
    ::chmod(dst_.c_str(), 0640);
    const std::string link = dir_ / "link.dat";
    ASSERT_EQ(::symlink(dst_.c_str(), link.c_str()), 0);
    EXPECT_EQ(converter_.convertFile(src_.c_str(), link.c_str()), 0);
    struct stat st;
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(::stat(dst_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(readFile(dst_), "\x82\xA9\r\nabc\r\n/e,1,;\r\n");
    EXPECT_EQ(listFolder(out_), std::set<std::string>{"scene.dat"});
}

}  // namespace
}  // namespace qt::pre
