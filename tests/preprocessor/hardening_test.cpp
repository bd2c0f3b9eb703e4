// qPre where a run could lose or misreport work: an output that is its own
// source, file lists that are no lists or are in use by another run, the exit
// code, signals in the middle of a conversion, the page sizes a directive
// restores, and a 0 byte that ends a source early.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "preprocessor/driver.h"
#include "support/program.h"
#include "test_support.h"

namespace qt::pre::test {
namespace {

namespace fs = std::filesystem;
using qt::test::poll;

const std::string kPrompt = "\n\n≪ [ENTER]を押すと終了します ≫";
const std::string kDropped = "ドラッグ＆ドロップされたファイルをプリプロセス中...\r\n";
const std::string kEnd = "...プリプロセス終了\r\n";

class Hardening : public ::testing::Test {
protected:
    Hardening() { root_.ini(""); }
    // Runs "./qPre args" in qPre's folder with ENTER typed; the exit code.
    int qpre(const std::string& args = "") { return root_.run("./qPre " + args, "\n"); }
    std::string file(const std::string& name) const { return root_ / name; }
    // Names in `folder` that are temporary files of a conversion, sorted.
    std::vector<std::string> temporaries(const std::string& folder) const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder)) {
            if (e.path().filename().string().find(".qpre-") != std::string::npos) names.push_back(e.path().filename());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    qt::test::ProgramFolder root_{{"qPre"}};
};

TEST_F(Hardening, AnOutputThatIsItsOwnSourceIsRefused) {
    // `named`: the output as the reason names it.
    // clang-format off
    const struct { std::string ini, list, args, file, bytes, named; } cases[] = {
        {"", "keep.txt\r\nkeep.txt\r\n", "", "keep.txt", "keep\r\n", "keep.txt"},
        {"", "keep.txt\r\n./KEEP.TXT", "", "keep.txt", "keep\r\n", "./KEEP.TXT"},
        {"", "keep.txt\r\nlink.dat\r\n", "", "keep.txt", "keep\r\n", "link.dat"},
        {"[main]\r\nextAfter=txt\r\n", "", "keep.txt", "keep.txt", "keep\r\n", file("keep.txt")},
        // A converted file dropped again would get a second header.
        {"", "", "keep.dat", "keep.dat", kHeader + "keep\r\n", file("keep.dat")},
    };
    // clang-format on
    fs::create_symlink("keep.txt", file("link.dat"));
    for (const auto& c : cases) {
        root_.ini(c.ini);
        root_.write("filelist.ini", c.list);
        root_.write(c.file, c.bytes);
        EXPECT_EQ(qpre(c.args), 1) << c.list << c.args;
        EXPECT_EQ(root_.out, (c.args.empty() ? "\n keep.txt\t→\t" + c.named + "\r\n...プリプロセス失敗\r\n"
                                             : kDropped + "...失敗\r\n") +
                                 kEnd + kPrompt);
        EXPECT_EQ(root_.err, "qPre: " + c.named + ": 変換元のソースファイルそのものなので書き換えません\n");
        EXPECT_EQ(root_.read(c.file), c.bytes);
        EXPECT_TRUE(temporaries(root_.path()).empty());
    }
}

TEST_F(Hardening, AFileListIsReadWithLfEndsOrRefusedAsAFailedRun) {
    root_.ini("[main]\r\nfinishExeRun=run.sh\r\n");
    root_.write("run.sh", "#!/bin/sh\ntouch \"$(dirname \"$0\")/started\"\n");
    fs::permissions(file("run.sh"), fs::perms::owner_exec, fs::perm_options::add);
    root_.write("a.txt", "a\r\n");
    enum Kind { text, folder, fifo };
    const std::string notAFile = "qPre: filelist.ini: ふつうのファイルではありません\n";
    // clang-format off
    const struct { Kind kind; std::string bytes; int status; std::string err; } cases[] = {
        {text, "a.txt\na.dat\n", 0, ""}, {text, "; list\n\na.txt\na.dat", 0, ""},
        {text, "a.txt\ra.dat\r", 1, "qPre: filelist.ini: 改行が CR だけなので読めません（CR LF か LF で保存してください）\n"},
        {folder, "", 1, notAFile}, {fifo, "", 1, notAFile},  // a FIFO is not waited on
    };
    // clang-format on
    for (const auto& c : cases) {
        fs::remove_all(file("filelist.ini"));
        fs::remove(file("a.dat"));
        fs::remove(file("started"));
        if (c.kind == text) root_.write("filelist.ini", c.bytes);
        if (c.kind == folder) fs::create_directory(file("filelist.ini"));
        if (c.kind == fifo) ::mkfifo(file("filelist.ini").c_str(), 0644);
        EXPECT_EQ(qpre(), c.status) << c.err;
        EXPECT_EQ(root_.out, c.status == 0 ? "\n a.txt\t→\ta.dat\r\n" + kEnd + kPrompt : kPrompt);
        EXPECT_EQ(root_.err, c.err);
        EXPECT_EQ(fileExists(file("a.dat")), c.status == 0);
        // The finish executable runs after a clean run only.
        EXPECT_EQ(poll([&] { return fileExists(file("started")); }, c.status == 0 ? 5000 : 300), c.status == 0);
    }
    EXPECT_EQ(qpre("--help"), 0);
    EXPECT_TRUE(root_.out.ends_with("ファイルリストを読めなかったときは 1、それ以外は 0 です。\n"));
}

// A run converting a 1 MiB source again and again, into out/.
class Interrupted : public Hardening {
protected:
    static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
    Interrupted() {
        root_.ini("[main]\r\nfinishExit=1\r\n");
        std::string source;
        while (source.size() < 1000000) source += std::string(70, 'x') + "\r\n";
        root_.write("big.txt", source);
        std::string list;
        for (int i = 0; i < 300; ++i) list += "big.txt\r\nout/" + std::to_string(i) + ".dat\r\n";
        root_.write("filelist.ini", list);
        fs::create_directory(file("out"));
    }
    // Starts the run with the default action for the signals the test sends
    // (a shell may have had the test ignore some).
    pid_t start() {
        struct sigaction dfl {
        }, old[3];
        for (int i = 0; i < 3; ++i) ::sigaction(kSignals[i], &dfl, &old[i]);
        const pid_t pid = qt::test::spawn({root_ / "qPre"}, root_.path(), {}, "/dev/null", "/dev/null", "/dev/null");
        for (int i = 0; i < 3; ++i) ::sigaction(kSignals[i], &old[i], nullptr);
        return pid;
    }
    // Stops the run at a moment its temporary file exists; false when it
    // ended first.
    bool stopWhileWriting(pid_t pid) {
        for (;;) {
            if (temporaries(file("out")).empty()) {
                int status = 0;
                if (::waitpid(pid, &status, WNOHANG) == pid) return false;
                continue;
            }
            ::kill(pid, SIGSTOP);
            int status = 0;
            if (::waitpid(pid, &status, WUNTRACED) != pid || !WIFSTOPPED(status)) return false;
            if (!temporaries(file("out")).empty()) return true;
            ::kill(pid, SIGCONT);
        }
    }
    // Sends `sig` to the stopped run; the signal it died of.
    static int endWith(pid_t pid, int sig) {
        ::kill(pid, sig);
        ::kill(pid, SIGCONT);
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        return WIFSIGNALED(status) ? WTERMSIG(status) : -1;
    }
};

TEST_F(Interrupted, ASignalRemovesTheTemporaryFileAndStillEndsTheRun) {
    for (const int sig : kSignals) {
        const pid_t pid = start();
        ASSERT_TRUE(stopWhileWriting(pid)) << sig;
        EXPECT_EQ(endWith(pid, sig), sig);
        EXPECT_EQ(temporaries(file("out")), std::vector<std::string>{}) << sig;
    }
}

TEST_F(Interrupted, WhatAKilledRunLeftGoesAtTheNextRunInThatFolder) {
    const pid_t pid = start();
    ASSERT_TRUE(stopWhileWriting(pid));
    EXPECT_EQ(endWith(pid, SIGKILL), SIGKILL);
    ASSERT_EQ(temporaries(file("out")).size(), 1u);
    // Like a temporary file but not one, or one whose writer lives (this test).
    const std::string dead = std::to_string(pid), live = std::to_string(::getpid());
    const std::vector<std::string> kept = {".a.dat.qpre-" + live + "-AbC123", ".a.dat.qpre-" + dead + "-AbC12",
                                           "a.dat.qpre-" + dead + "-AbC123", ".a.dat.qpre-" + dead + "x-AbC123",
                                           ".a.dat.qpre-" + dead + "-AbC123.dat"};
    for (const std::string& name : kept) root_.write("out/" + name, "kept");
    root_.write("filelist.ini", "a.txt\r\nout/a.dat\r\n");
    root_.write("a.txt", "a\r\n");
    EXPECT_EQ(qpre(), 0) << root_.err;
    std::vector<std::string> expected = kept;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(temporaries(file("out")), expected);
    EXPECT_EQ(root_.read("out/a.dat"), kHeader + "a\r\n");
}

TEST_F(Hardening, ASecondRunOnTheSameListConvertsNothing) {
    root_.write("filelist.ini", "a.txt\r\na.dat\r\n");
    root_.write("a.txt", "a\r\n");
    const std::string enter = root_ / "enter";
    ASSERT_EQ(::mkfifo(enter.c_str(), 0600), 0);
    // The first run waits at its ENTER prompt, holding the list.
    const pid_t first =
        qt::test::spawn({root_ / "qPre"}, root_.path(), {"LC_ALL=C.UTF-8"}, enter, root_ / "first.txt", "/dev/null");
    const int typing = ::open(enter.c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_TRUE(poll([&] { return root_.read("first.txt").ends_with(kPrompt); }));
    fs::remove(file("a.dat"));
    EXPECT_EQ(qpre(), 1);
    EXPECT_EQ(root_.out, kPrompt);
    EXPECT_EQ(root_.err, "qPre: filelist.ini: ほかの qPre が同じファイルリストを使っています\n");
    EXPECT_FALSE(fileExists(file("a.dat")));
    EXPECT_EQ(::write(typing, "\n", 1), 1);
    ::close(typing);
    int status = 0;
    ASSERT_EQ(::waitpid(first, &status, 0), first);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(qpre(), 0);
    EXPECT_TRUE(fileExists(file("a.dat")));
}

TEST(HardeningDriver, APageDirectiveWithoutANumberTakesTheSizesReadAtStart) {
    TempDir dir;
    std::snprintf(exeFolder, sizeof exeFolder, "%s", dir.path().c_str());
    dir.write("qPre.ini", "[main]\r\nfinishExit=1\r\n[honbun]\r\npageWidth=8\r\npageHeight=3\r\n");
    const PreSettings settings = loadSettings();
    dir.write("qPre.ini", "[honbun]\r\npageWidth=30\r\npageHeight=20\r\n");  // no longer what the run read
    const std::string src = dir.write("a.txt",
                                      "#pagewidth 20\r\n#pageheight 9\r\n#pagewidth\r\n#pageheight\r\n"
                                      "abcdefghij\r\nk\r\nl\r\n");
    const Console console(false);
    Driver driver(settings, console);
    testing::internal::CaptureStdout();
    EXPECT_EQ(driver.run({"qPre", src}), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(dir.read("a.dat"), kHeader + "abcdefg\r\nhij\r\n/\\,;\r\nk\r\nl\r\n/\\,;\r\n");
    exeFolder[0] = '\0';
}

TEST_F(Hardening, AZeroByteThatEndsTheTextIsNamedWithItsLine) {
    root_.ini("[main]\r\nfinishExit=1\r\n");
    // clang-format off
    const struct { std::string name, bytes, written; int line; } cases[] = {
        {"a.txt", std::string("ab\r\ncd\0ef\r\n", 11), "ab\r\ncd", 2},
        {"b.txt", std::string("\0abc", 4), "", 1},
        {"c.txt", std::string("a\nb\nc\0d\n", 8), "a\r\nb\r\nc", 3},  // LF alone
        {"d.txt", std::string("あ\nい\0う\n", 12), sj("あ\r\nい"), 2},  // UTF-8
        {"e.txt", std::string("a\nb\r\nc\0", 7), "a\nb\r\nc", 2},      // mixed: counted by CR LF
        {"f.txt", "ab\r\n", "ab\r\n", 0},
    };
    // clang-format on
    std::string list, out, err;
    for (const auto& c : cases) {
        root_.write(c.name, c.bytes);
        list += c.name + "\r\n" + c.name + ".dat\r\n";
        out += "\n " + c.name + "\t→\t" + c.name + ".dat\r\n";
        if (c.line != 0) {
            err += "qPre: " + c.name + ": LINE:" + std::to_string(c.line) +
                   ": NUL バイト（0x00）で本文が終わっています。ここから後は変換していません\n";
        }
    }
    root_.write("filelist.ini", list);
    EXPECT_EQ(qpre(), 0);
    EXPECT_EQ(root_.out, out + kEnd);
    EXPECT_EQ(root_.err, err);
    for (const auto& c : cases) EXPECT_EQ(root_.read(c.name + ".dat"), kHeader + c.written) << c.name;
}

}  // namespace
}  // namespace qt::pre::test
