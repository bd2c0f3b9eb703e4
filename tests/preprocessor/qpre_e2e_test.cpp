// The built qPre, copied with its own qPre.ini into a folder whose name does
// not survive the round trip through CP932 (U+301C), and run as an author
// would, through a link from another working folder: console bytes, output
// files and the file list. Then where a run could lose or misreport work: an
// output that is its own source, file lists that are no lists or are in use
// by another run, signals in the middle of a conversion, the page sizes a
// directive restores, and a 0 byte that ends a source early.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <optional>
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
const std::string kFolderStart = "ﾌｧｲﾙﾘｽﾄ自動作成中...\tfilelist.ini\r\n";
const std::string kFolderEnd = "...作成処理終了\r\n";

class QPreE2E : public ::testing::Test {
protected:
    QPreE2E() {
        fs::create_directory(work_);
        fs::create_symlink(exe_ + "/qPre", root_ / "qPre");
        ini("");
    }
    void ini(const std::string& body) { root_.ini(body); }

    // Runs qPre in `cwd` with ENTER typed, after the shell words `before` and
    // with `redirect` added; returns its output.
    std::string run(const std::string& args, const std::string& cwd, const std::string& redirect = "",
                    const std::string& before = "", int status = 0) {
        const std::string line = "cd " + cwd + " && " + before + " " + root_.path() + "/qPre " + args + " " + redirect;
        EXPECT_EQ(root_.run(line, "\n"), status) << args;
        err_ = root_.err;
        return root_.out;
    }
    // The same for a run in which something failed: exit code 1.
    std::string runFailing(const std::string& args, const std::string& cwd, const std::string& redirect = "",
                           const std::string& before = "") {
        return run(args, cwd, redirect, before, 1);
    }

    qt::test::ProgramFolder root_{{"qPre"}, "novel〜1"};
    std::string exe_ = root_.programDir(), work_ = root_ / "work", err_;
};

TEST_F(QPreE2E, DroppedFiles) {
    writeFile(work_ + "/第一章.txt", sj("// 一章\r\n/BGM play, \"op 1.mp3\"\r\n吾輩は猫である。\r\n"));
    writeFile(root_ / "ch2.txt", "/@\r\nabc");
    writeFile(work_ + "/empty.txt", "");
    // Relative and absolute; an empty file and a folder fail.
    EXPECT_EQ(runFailing("第一章.txt empty.txt " + root_ / "ch2.txt .", work_),
              kDropped + "...失敗\r\n...失敗\r\n" + kEnd + kPrompt);
    EXPECT_EQ(readFile(work_ + "/第一章.dat"), kHeader + sj("/bgm,play,op 1.mp3,;\r\n吾輩は猫である。\r\n"));
    EXPECT_EQ(readFile(root_ / "ch2.dat"), kHeader + "/@,;\r\nabc");  // the page goes on
    EXPECT_FALSE(fileExists(work_ + "/empty.dat"));

    ini("[main]\r\nextAfter=.bin\r\nfinishExit=1\r\n[honbun]\r\npageWidth=8\r\npageHeight=3\r\n");
    writeFile(work_ + "/a.txt", "abcdefghij\r\nk\r\n/e \"x\r\n");
    EXPECT_EQ(runFailing("./a.txt " + std::string(300, 'n') + " a.txt", work_),
              kDropped + "≪変換後のﾌｧｲﾙ名作成に 失敗≫\r\n");
    EXPECT_EQ(readFile(work_ + "/a.bin"), kHeader + "abcdefg\r\nhij\r\n/\\,;\r\nk\r\n/e,x");
    EXPECT_EQ(err_, "エラー　" + work_ + "/a.txt　LINE:3: 命令引数]\nダブルクォーテーションの終端が見つかりません\n");
}

TEST_F(QPreE2E, WarningsForAuthorsOnlyWhenAsked) {
    writeFile(exe_ + "/sc/a.txt", sj("はい、a,b\r\n/e \"x,y\"\r\n\"引用\"\r\n"));
    writeFile(exe_ + "/filelist.ini", "sc/a.txt\r\nsc/a.dat\r\n");
    const std::string entry = "\n sc/a.txt\t→\tsc/a.dat\r\n";
    ini("[main]\r\nfinishExit=1\r\nwarnings=0\r\n");
    EXPECT_EQ(run("", work_), entry + kEnd);
    const std::string dat = readFile(exe_ + "/sc/a.dat");
    ini("[main]\r\nfinishExit=1\r\nwarnings=1\r\n");
    EXPECT_EQ(run("", work_),
              entry +
                  "警告　sc/a.txt　LINE:1　本文の半角カンマ(,)で行が分かれます\r\n"
                  "警告　sc/a.txt　LINE:3　本文の半角ダブルクォーテーション(\")で以降のカンマが区切りになりません\r\n" +
                  kEnd);
    EXPECT_EQ(readFile(exe_ + "/sc/a.dat"), dat);  // the output is the same either way
    EXPECT_EQ(err_, "");
}

TEST_F(QPreE2E, FileListAndTheFinishExecutable) {
    EXPECT_EQ(runFailing("", work_, "<&-"), "ファイルリストが見つかりません→\tfilelist.ini\r\n" + kPrompt);

    ini("[main]\r\nfinishExeRun=run.sh\r\n");
    writeFile(exe_ + "/run.sh", "#!/bin/sh\necho started > \"$(dirname \"$0\")/marker\"\n");
    fs::permissions(exe_ + "/run.sh", fs::perms::owner_exec, fs::perm_options::add);
    writeFile(exe_ + "/sc/a.txt", "a\r\n");
    writeFile(exe_ + "/filelist.ini", ";list\r\n\r\nmissing.txt\r\nm.dat\r\nsc\\a.txt\r\nsc\\a.dat\r\n");
    EXPECT_EQ(runFailing("", work_),
              "\n missing.txt\t→\tm.dat\r\n...プリプロセス失敗\r\n\n sc\\a.txt\t→\tsc\\a.dat\r\n" + kEnd + kPrompt);
    EXPECT_EQ(readFile(exe_ + "/sc/a.dat"), kHeader + "a\r\n");
    // An output path too long for its buffer is refused, not cut short.
    writeFile(exe_ + "/filelist.ini", "sc/a.txt\r\n" + std::string(300, 'o'));
    EXPECT_EQ(runFailing("", work_), "≪変換後のﾌｧｲﾙ名作成に 失敗≫\r\n" + kEnd + kPrompt);
    // Neither run started the program: each had an entry that failed.
    EXPECT_FALSE(poll([&] { return fileExists(exe_ + "/marker"); }, 100));

    writeFile(exe_ + "/filelist.ini", "sc/a.txt\r\nout.dat");
    EXPECT_EQ(run("", work_), "\n sc/a.txt\t→\tout.dat\r\n" + kEnd + kPrompt);
    EXPECT_EQ(readFile(exe_ + "/out.dat"), kHeader + "a\r\n");
    EXPECT_TRUE(poll([&] { return fileExists(exe_ + "/marker"); }, 5000));
    // LF ends read as CR LF; CR alone, a folder or a FIFO is no list, and the run fails.
    enum Kind { text, folder, fifo };
    const std::string notAFile = "qPre: filelist.ini: ふつうのファイルではありません\n";
    // clang-format off
    const struct { Kind kind; std::string bytes; int status; std::string err; } cases[] = {
        {text, "sc/a.txt\na.dat\n", 0, ""}, {text, "; list\n\nsc/a.txt\na.dat", 0, ""},
        {text, "sc/a.txt\ra.dat\r", 1, "qPre: filelist.ini: 改行が CR だけなので読めません（CR LF か LF で保存してください）\n"},
        {folder, "", 1, notAFile}, {fifo, "", 1, notAFile},  // a FIFO is not waited on
    };
    // clang-format on
    for (const auto& c : cases) {
        for (const char* name : {"/filelist.ini", "/a.dat", "/marker"}) fs::remove_all(exe_ + name);
        if (c.kind == text) writeFile(exe_ + "/filelist.ini", c.bytes);
        if (c.kind == folder) fs::create_directory(exe_ + "/filelist.ini");
        if (c.kind == fifo) ::mkfifo((exe_ + "/filelist.ini").c_str(), 0644);
        EXPECT_EQ(run("", work_, "", "", c.status),
                  c.status == 0 ? "\n sc/a.txt\t→\ta.dat\r\n" + kEnd + kPrompt : kPrompt);
        EXPECT_EQ(err_, c.err);
        EXPECT_EQ(fileExists(exe_ + "/a.dat"), c.status == 0);
        // The finish executable runs after a clean run only.
        EXPECT_EQ(poll([&] { return fileExists(exe_ + "/marker"); }, c.status == 0 ? 5000 : 300), c.status == 0);
    }

    // An empty list succeeds: a missing program, and a document for xdg-open.
    ini("[main]\r\nfinishExeRun=nothere.sh\r\n[filelist]\r\nfileListFilePath=lists/my.lst\r\n");
    writeFile(exe_ + "/lists/my.lst", "");
    EXPECT_EQ(run("", work_), kEnd + kPrompt + "指定された実行ファイルへのパスは無効でした。→\tnothere.sh\r\n");
    ini("[main]\r\nfinishExeRun=notes.txt\r\nfinishExit=1\r\n[filelist]\r\nfileListFilePath=lists/my.lst\r\n");
    writeFile(exe_ + "/notes.txt", "read me");
    const std::string opened = root_ / "opened";
    writeFile(root_ / "xdg-open",
              "#!/bin/sh\necho \"$1\" > " + opened + ".tmp; mv " + opened + ".tmp " + opened + "\n");
    fs::permissions(root_ / "xdg-open", fs::perms::owner_exec, fs::perm_options::add);
    EXPECT_EQ(run("", work_, "", "PATH=" + root_.path() + ":$PATH"), kEnd);
    ASSERT_TRUE(poll([&] { return fileExists(opened); }, 5000));
    EXPECT_EQ(readFile(opened), "notes.txt\n");
}

TEST_F(QPreE2E, FolderMode) {
    ini("[main]\r\nextBefore=.txt\r\nfinishExit=1\r\n");
    fs::create_directory(exe_ + "/empty");
    for (const char* name : {"b.TXT", "a.txt", "c.doc"}) writeFile(exe_ + "/sc/" + name, "x\r\n");
    writeFile(exe_ + "/top.txt", "t\r\n");
    const std::string list = exe_ + "/filelist.ini";
    const std::string once = "\r\n\r\nsc/a.txt\r\nsc/a.dat\r\n\r\nsc/b.TXT\r\nsc/b.dat";
    EXPECT_EQ(run("./sc/", exe_), kFolderStart + kFolderEnd);
    EXPECT_EQ(run(exe_ + "/sc", work_), kFolderStart + kFolderEnd);
    EXPECT_EQ(readFile(list), once + once);

    writeFile(list, "");
    EXPECT_EQ(run(exe_, work_), kFolderStart + kFolderEnd);
    EXPECT_EQ(run(work_, work_), kFolderStart + "≪失敗≫下層フォルダを指定してください\r\n" + kFolderEnd);
    EXPECT_EQ(run(exe_ + "/empty", work_), kFolderStart + "≪検索失敗≫\r\n" + kFolderEnd);
    EXPECT_EQ(readFile(list), "\r\n\r\ntop.txt\r\ntop.dat");
    EXPECT_EQ(run("", work_), "\n top.txt\t→\ttop.dat\r\n" + kEnd);
    EXPECT_EQ(readFile(exe_ + "/top.dat"), kHeader + "t\r\n");

    // A list that cannot take the entries says so.
    ini("[main]\r\nfinishExit=1\r\n[filelist]\r\nfileListFilePath=/dev/full\r\n");
    EXPECT_EQ(run(exe_, work_), "ﾌｧｲﾙﾘｽﾄ自動作成中...\t/dev/full\r\n" + kFolderEnd);
    EXPECT_EQ(err_, "/dev/full: ファイルリストに書き込めませんでした\n");
}

TEST_F(QPreE2E, LockedDestinationAndFullDisk) {
    ini("[main]\r\nfinishExit=1\r\n");
    writeFile(work_ + "/a.txt", std::string(8000, 'a'));
    writeFile(work_ + "/a.dat", "previous");
    const int held = ::open((work_ + "/a.dat").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    EXPECT_EQ(runFailing("a.txt", work_), kDropped + "...失敗\r\n" + kEnd);
    ::close(held);
    // 4 blocks of 512 bytes: the console fits, the destination does not.
    EXPECT_EQ(runFailing("a.txt", work_, "", "ulimit -f 4;"), kDropped + "...失敗\r\n" + kEnd);
    EXPECT_EQ(readFile(work_ + "/a.dat"), "previous");
    EXPECT_EQ(std::distance(fs::directory_iterator(work_), {}), 2);
}

TEST_F(QPreE2E, EachFailedConversionSaysWhyOnStandardError) {
    ini("[main]\r\nfinishExit=1\r\n");
    fs::create_directory(exe_ + "/sc");
    ASSERT_EQ(::mkfifo((exe_ + "/pipe.txt").c_str(), 0644), 0);
    // Source, its bytes (none: missing, or made above), output, and what is said.
    // clang-format off
    const struct { std::string source; std::optional<std::string> bytes; std::string output, why; } cases[] = {
        {"missing.txt", {}, "a.dat", "missing.txt: 見つかりません"},
        {"sc", {}, "a.dat", "sc: ふつうのファイルではありません"},
        {"pipe.txt", {}, "a.dat", "pipe.txt: ふつうのファイルではありません"},  // not waited on
        {"empty.txt", "", "a.dat", "empty.txt: 空のファイルです"},
        {"big.txt", std::string(1048577, 'a'), "a.dat", "big.txt: 1 MiB（1048576 バイト）より大きいファイルです"},
        {"held.txt", "a\r\n", "a.dat", "held.txt: ほかのプログラムが書き込み中のため読めません"},
        {"emoji.txt", "ok\n😀\n", "a.dat", "emoji.txt: LINE:2: Shift-JIS（CP932）にない文字です: U+1F600"},
        {"bom.txt", "\xEF\xBB\xBF" "a\r\n\x82\xA0", "a.dat", "bom.txt: LINE:2: UTF-8 として読めないバイトがあります"},
        {"ok.txt", "a\r\n", "playing.dat",
         "playing.dat: ほかのプログラム（再生中の qRun など）が開いているため書き換えられません"},
        {"ok.txt", "a\r\n", "sc", "sc: ふつうのファイルではありません"},
        {"ok.txt", "a\r\n", "none/a.dat", "none/a.dat: 書き込めません: No such file or directory"},
    };
    // clang-format on
    std::string list, out, err;
    for (const auto& c : cases) {
        if (c.bytes) writeFile(exe_ + "/" + c.source, *c.bytes);
        list += c.source + "\r\n" + c.output + "\r\n";
        out += "\n " + c.source + "\t→\t" + c.output + "\r\n...プリプロセス失敗\r\n";
        err += "qPre: " + c.why + "\n";
    }
    writeFile(exe_ + "/filelist.ini", list);
    writeFile(exe_ + "/playing.dat", "previous");
    const int held = ::open((exe_ + "/held.txt").c_str(), O_RDONLY | O_CLOEXEC);
    const int playing = ::open((exe_ + "/playing.dat").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX) | ::flock(playing, LOCK_EX), 0);
    EXPECT_EQ(runFailing("", work_), out + kEnd);
    EXPECT_EQ(err_, err);
    ::close(held);
    ::close(playing);
    EXPECT_EQ(readFile(exe_ + "/playing.dat"), "previous");
    for (const auto& e : fs::directory_iterator(exe_)) {
        const std::string name = e.path().filename();
        EXPECT_TRUE(name == "playing.dat" || name.find(".dat") == std::string::npos) << name;
    }
}

TEST_F(QPreE2E, HelpVersionAndAMistypedFolder) {
    // Neither option enters a mode or waits for ENTER.
    EXPECT_EQ(run("--version", work_), std::string("qPre ") + QT_PROJECT_VERSION + "\n");
    const std::string help = run("--help extra", work_);
    EXPECT_TRUE(help.starts_with("使い方: qPre [ソースファイル ...]\n"));
    EXPECT_TRUE(help.ends_with("ファイルリストを読めなかったときは 1、それ以外は 0 です。\n"));
    EXPECT_EQ(err_, "");
    // A name that is nowhere: folder mode on the console as ever, but said
    // and no file list made.
    EXPECT_EQ(run("scenaro", work_), kFolderStart + "≪失敗≫下層フォルダを指定してください\r\n" + kFolderEnd + kPrompt);
    EXPECT_EQ(err_, "qPre: " + work_ + "/scenaro: 見つかりません\n");
    EXPECT_EQ(run(exe_ + "/scenaro", work_), kFolderStart + "≪検索失敗≫\r\n" + kFolderEnd + kPrompt);
    EXPECT_FALSE(fileExists(exe_ + "/filelist.ini"));
    EXPECT_TRUE(fs::is_empty(work_));
}

// The demo game as authors on Windows and on Linux write it: the committed
// files every time.
TEST(QPreDemo, ShiftJisOrUtf8AndCrLfOrLfGiveTheSameFiles) {
    // clang-format off
    const std::function<std::string(const std::string&)> forms[] = {
        [](const std::string& sjis) { return sjis; },
        [](const std::string& sjis) {
            std::string lf = cp932ToUtf8(sjis);
            std::erase(lf, '\r');
            return lf;
        },
        [](const std::string& sjis) { return "\xEF\xBB\xBF" + cp932ToUtf8(sjis); },
    };
    // clang-format on
    for (const auto& form : forms) {
        qt::test::ProgramFolder game({"qPre"});
        for (const char* name : {"qPre.ini", "filelist.ini"})
            game.write(name, readFile(QT_DEMO_DIR "/" + std::string(name)));
        for (const char* name : {"chapter1", "chapter2"}) {
            game.write(name + std::string(".txt"), form(readFile(QT_DEMO_DIR "/" + std::string(name) + ".txt")));
        }
        ASSERT_EQ(game.run("./qPre"), 0);
        EXPECT_EQ(game.out, "\n chapter1.txt\t→\tchapter1.dat\r\n\n chapter2.txt\t→\tchapter2.dat\r\n" + kEnd);
        EXPECT_EQ(game.err, "");
        for (const char* name : {"chapter1.dat", "chapter2.dat"}) {
            EXPECT_EQ(game.read(name), readFile(QT_DEMO_DIR "/expected/" + std::string(name))) << name;
        }
    }
}

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
