// The built qPre, copied into a temporary folder with its own qPre.ini and
// run as an author would: console bytes, output files and the file list.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "test_support.h"

namespace qt::pre {
namespace {

using test::fileExists;
using test::readFile;
using test::sj;
using test::TempDir;
using test::writeFile;

const std::string kHeader = "\x82\xA9\r\n";
const std::string kPrompt = "\n\n≪ [ENTER]を押すと終了します ≫";
const std::string kDroppedStart = "ドラッグ＆ドロップされたファイルをプリプロセス中...\r\n";
const std::string kRunEnd = "...プリプロセス終了\r\n";
const std::string kFolderEnd = "...作成処理終了\r\n";

struct Result {
    int exitCode = -1;
    std::string out;
    std::string err;
};

enum class Input { enter, closed };

class QPreE2E : public ::testing::Test {
protected:
    void SetUp() override {
        const char* bin = std::getenv("QT_BIN_DIR");
        ASSERT_NE(bin, nullptr);
        ::mkdir(exeDir_.c_str(), 0755);
        ::mkdir(workDir_.c_str(), 0755);
        std::filesystem::copy_file(std::string(bin) + "/qPre", qpre_);
        ::chmod(qpre_.c_str(), 0755);
        ini("");
    }

    void ini(const std::string& body) { writeFile(exeDir_ + "/qPre.ini", body); }

    Result run(const std::vector<std::string>& args, const std::string& cwd,
               Input input = Input::enter, const std::string& shellPrefix = "") {
        const std::string outPath = root_ / "stdout";
        const std::string errPath = root_ / "stderr";
        const std::string inPath = root_ / "stdin";
        writeFile(inPath, "\n");
        std::vector<std::string> argv;
        if (shellPrefix.empty()) {
            argv.push_back(qpre_);
            argv.insert(argv.end(), args.begin(), args.end());
        } else {
            // `sh -c 'PREFIX; exec "$0" "$@"' qPre args...`
            argv = {"/bin/sh", "-c", shellPrefix + "; exec \"$0\" \"$@\"", qpre_};
            argv.insert(argv.end(), args.begin(), args.end());
        }
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (::chdir(cwd.c_str()) != 0) ::_exit(120);
            ::close(0);
            if (input == Input::enter) ::open(inPath.c_str(), O_RDONLY);
            ::dup2(::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
            ::dup2(::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
            ::setenv("LC_ALL", "C.UTF-8", 1);
            std::vector<char*> raw;
            for (auto& a : argv) raw.push_back(a.data());
            raw.push_back(nullptr);
            ::execv(raw[0], raw.data());
            ::_exit(121);
        }
        Result r;
        int status = 0;
        for (int waited = 0;; waited += 10) {
            if (::waitpid(pid, &status, WNOHANG) == pid) break;
            if (waited > 10000) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, &status, 0);
                ADD_FAILURE() << "qPre did not end";
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = readFile(outPath);
        r.err = readFile(errPath);
        return r;
    }

    // Waits (briefly) for a file the finish executable writes.
    static bool appears(const std::string& path, int ms) {
        for (int i = 0; i < ms / 10; ++i) {
            if (fileExists(path)) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return fileExists(path);
    }

    void markerScript(const std::string& name) {
        const std::string path = exeDir_ + "/" + name;
        writeFile(path, "#!/bin/sh\necho started > \"$(dirname \"$0\")/marker\"\n");
        ::chmod(path.c_str(), 0755);
    }

    TempDir root_;
    std::string exeDir_ = root_ / "novel";
    std::string workDir_ = root_ / "work";
    std::string qpre_ = exeDir_ + "/qPre";
};

TEST_F(QPreE2E, DroppedFilesRelativeAndAbsolute) {
    writeFile(workDir_ + "/ch1.txt", sj("// 一章\r\n/BGM play, \"op 1.mp3\"\r\n吾輩は猫である。\r\n"));
    writeFile(root_ / "ch2.txt", "/@\r\nabc");
    writeFile(workDir_ + "/empty.txt", "");
    // A folder after the first argument is taken as a file, and fails.
    const Result r = run({"ch1.txt", "empty.txt", root_ / "ch2.txt", "."}, workDir_);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, kDroppedStart + "...失敗\r\n...失敗\r\n" + kRunEnd + kPrompt);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(readFile(workDir_ + "/ch1.dat"),
              kHeader + sj("/bgm,play,op 1.mp3,;\r\n吾輩は猫である。\r\n"));
    // The layout goes on from the first file: its line keeps the page open.
    EXPECT_EQ(readFile(root_ / "ch2.dat"), kHeader + "/@,;\r\nabc");
    EXPECT_FALSE(fileExists(workDir_ + "/empty.dat"));
}

TEST_F(QPreE2E, DroppedFilesWithSettingsAndReports) {
    ini("[main]\r\nextAfter=.bin\r\nfinishExit=1\r\n[honbun]\r\npageWidth=8\r\npageHeight=3\r\n");
    writeFile(workDir_ + "/a.txt", "abcdefghij\r\nk\r\n/e \"x\r\n");
    const Result r = run({"./a.txt"}, workDir_);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, kDroppedStart + kRunEnd);
    EXPECT_EQ(readFile(workDir_ + "/a.bin"), kHeader + "abcdefg\r\nhij\r\n/\\,;\r\nk\r\n/e,x");
    EXPECT_EQ(r.err, "エラー　" + workDir_ + "/a.txt　LINE:3: 命令引数]\n"
                     "ダブルクォーテーションの終端が見つかりません\n");
}

TEST_F(QPreE2E, DroppedNameThatDoesNotFitEndsTheMode) {
    writeFile(workDir_ + "/a.txt", "a\r\n");
    const std::string longName(300, 'n');
    const Result r = run({"a.txt", longName, "a.txt"}, workDir_);
    EXPECT_EQ(r.out, kDroppedStart + "≪変換後のﾌｧｲﾙ名作成に 失敗≫\r\n" + kPrompt);
    EXPECT_EQ(readFile(workDir_ + "/a.dat"), kHeader + "a\r\n");
}

TEST_F(QPreE2E, FileListAllSucceedStartsTheFinishExecutable) {
    ini("[main]\r\nfinishExeRun=run.sh\r\n");
    markerScript("run.sh");
    ::mkdir((exeDir_ + "/scenario").c_str(), 0755);
    writeFile(exeDir_ + "/scenario/a.txt", "a\r\n");
    writeFile(exeDir_ + "/scenario/b.txt", "b\r\n");
    writeFile(exeDir_ + "/filelist.ini",
              ";list\r\n\r\nscenario\\a.txt\r\nscenario\\a.dat\r\n\r\nscenario/b.txt\r\nout.dat");
    const Result r = run({}, workDir_);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "\n scenario\\a.txt\t→\tscenario\\a.dat\r\n"
                     "\n scenario/b.txt\t→\tout.dat\r\n" + kRunEnd + kPrompt);
    EXPECT_EQ(readFile(exeDir_ + "/scenario/a.dat"), kHeader + "a\r\n");
    EXPECT_EQ(readFile(exeDir_ + "/out.dat"), kHeader + "b\r\n");
    EXPECT_TRUE(appears(exeDir_ + "/marker", 5000));
}

TEST_F(QPreE2E, FinishDocumentIsOpenedWithXdgOpen) {
    ini("[main]\r\nfinishExeRun=notes.txt\r\nfinishExit=1\r\n");
    writeFile(exeDir_ + "/notes.txt", "read me");
    writeFile(exeDir_ + "/filelist.ini", "");
    const std::string bin = root_ / "bin";
    ::mkdir(bin.c_str(), 0755);
    writeFile(bin + "/xdg-open", "#!/bin/sh\necho \"$1\" > \"" + root_.path() + "/opened\"\n");
    ::chmod((bin + "/xdg-open").c_str(), 0755);
    const Result r = run({}, workDir_, Input::enter, "export PATH=" + bin + ":$PATH");
    EXPECT_EQ(r.out, kRunEnd);
    ASSERT_TRUE(appears(root_ / "opened", 5000));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(readFile(root_ / "opened"), "notes.txt\n");
}

TEST_F(QPreE2E, FileListWithAFailureStartsNothing) {
    ini("[main]\r\nfinishExeRun=run.sh\r\nfinishExit=1\r\n");
    markerScript("run.sh");
    writeFile(exeDir_ + "/a.txt", "a\r\n");
    writeFile(exeDir_ + "/filelist.ini", "missing.txt\r\nm.dat\r\na.txt\r\na.dat\r\n");
    const Result r = run({}, workDir_);
    EXPECT_EQ(r.out, "\n missing.txt\t→\tm.dat\r\n...プリプロセス失敗\r\n"
                     "\n a.txt\t→\ta.dat\r\n" + kRunEnd);
    EXPECT_EQ(readFile(exeDir_ + "/a.dat"), kHeader + "a\r\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(fileExists(exeDir_ + "/marker"));
}

TEST_F(QPreE2E, FileListMissingAndFinishExecutableMissing) {
    Result r = run({}, workDir_);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "ファイルリストが見つかりません→\tfilelist.ini\r\n" + kPrompt);

    // An empty list succeeds; the named executable does not exist.
    ini("[main]\r\nfinishExeRun=nothere.sh\r\n[filelist]\r\nfileListFilePath=lists/my.lst\r\n");
    ::mkdir((exeDir_ + "/lists").c_str(), 0755);
    writeFile(exeDir_ + "/lists/my.lst", "");
    r = run({}, workDir_);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, kRunEnd + kPrompt + "指定された実行ファイルへのパスは無効でした。→\tnothere.sh\r\n");
}

TEST_F(QPreE2E, PromptEndsWhenStandardInputIsClosed) {
    const Result r = run({}, workDir_, Input::closed);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "ファイルリストが見つかりません→\tfilelist.ini\r\n" + kPrompt);
}

TEST_F(QPreE2E, FolderMode) {
    ini("[main]\r\nextBefore=.txt\r\nfinishExit=1\r\n");
    const std::string scenario = exeDir_ + "/scenario";
    ::mkdir(scenario.c_str(), 0755);
    for (const char* name : {"b.TXT", "a.txt", "c.doc"}) writeFile(scenario + "/" + name, "x\r\n");
    writeFile(exeDir_ + "/top.txt", "t\r\n");
    const std::string start = "ﾌｧｲﾙﾘｽﾄ自動作成中...\tfilelist.ini\r\n";
    const std::string list = exeDir_ + "/filelist.ini";

    // Relative to where it was started, with a trailing "/"; then twice.
    Result r = run({"./scenario/"}, exeDir_);
    EXPECT_EQ(r.out, start + kFolderEnd);
    const std::string once = "\r\n\r\nscenario/a.txt\r\nscenario/a.dat\r\n\r\nscenario/b.TXT\r\nscenario/b.dat";
    EXPECT_EQ(readFile(list), once);
    r = run({scenario}, workDir_);
    EXPECT_EQ(r.out, start + kFolderEnd);
    EXPECT_EQ(readFile(list), once + once);

    // The executable's own folder gives bare names.
    writeFile(list, "");
    r = run({exeDir_}, workDir_);
    EXPECT_EQ(readFile(list), "\r\n\r\ntop.txt\r\ntop.dat");

    // A folder outside it, and one with no match (also one that is missing).
    r = run({workDir_}, workDir_);
    EXPECT_EQ(r.out, start + "≪失敗≫下層フォルダを指定してください\r\n" + kFolderEnd);
    ::mkdir((exeDir_ + "/empty").c_str(), 0755);
    r = run({exeDir_ + "/empty"}, workDir_);
    EXPECT_EQ(r.out, start + "≪検索失敗≫\r\n" + kFolderEnd);
    r = run({exeDir_ + "/missing"}, workDir_);
    EXPECT_EQ(r.out, start + "≪検索失敗≫\r\n" + kFolderEnd);
    EXPECT_EQ(readFile(list), "\r\n\r\ntop.txt\r\ntop.dat");

    // The list it wrote converts.
    r = run({}, workDir_);
    EXPECT_EQ(r.out, "\n top.txt\t→\ttop.dat\r\n" + kRunEnd);
    EXPECT_EQ(readFile(exeDir_ + "/top.dat"), kHeader + "t\r\n");
}

TEST_F(QPreE2E, LockedDestinationAndFullDisk) {
    ini("[main]\r\nfinishExit=1\r\n");
    writeFile(workDir_ + "/a.txt", std::string(8000, 'a'));
    writeFile(workDir_ + "/a.dat", "previous");
    const int held = ::open((workDir_ + "/a.dat").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    Result r = run({"a.txt"}, workDir_);
    ::close(held);
    EXPECT_EQ(r.out, kDroppedStart + "...失敗\r\n" + kRunEnd);
    EXPECT_EQ(readFile(workDir_ + "/a.dat"), "previous");

    // 4 blocks of 512 bytes: the console fits, the destination does not.
    r = run({"a.txt"}, workDir_, Input::enter, "ulimit -f 4");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, kDroppedStart + "...失敗\r\n" + kRunEnd);
    EXPECT_EQ(readFile(workDir_ + "/a.dat"), "previous");
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(workDir_)) ++files;
    EXPECT_EQ(files, 2);
}

}  // namespace
}  // namespace qt::pre
