// qRun end to end on the headless backend.
#include <fcntl.h>

#include "common/file_lock.h"
#include "qrun_test_support.h"

namespace qt::engine::test {
namespace {

class QRunTest : public ::testing::Test {
protected:
    // A game folder with settings (UTF-8, stored CP932) and scenario bytes.
    void game(const std::string& iniUtf8, const std::string& scenario) {
        folder.write("qRun.ini", utf8ToCp932(iniUtf8));
        folder.write("s.dat", scenario);
    }
    void input(const std::string& script) { folder.write("input.txt", script); }

    RunResult headless(const std::string& extra = "") {
        return folder.run("--headless --trace trace.txt " + extra);
    }
    std::string trace() { return folder.read("trace.txt"); }
    bool exists(const std::string& name) { return std::filesystem::exists(folder.file(name)); }

    QRunFolder folder;
};

const std::string kGame = "[main]\nFirstScenario=s.dat\n[honbun]\nlineSpeed=0\n";

TEST_F(QRunTest, NoSettingsFile) {
    const RunResult r = headless();
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "errexit(): 「最初に読み込むシナリオファイル」が存在しません\n\n");
    EXPECT_EQ(trace(), "");
}

TEST_F(QRunTest, MissingFirstScenarioShowsThePathAsWritten) {
    game("[main]\nFirstScenario=シナリオ\\無い.dat\n", kHeader);
    const RunResult r = headless();
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "errexit(): 「最初に読み込むシナリオファイル」が存在しません\nシナリオ\\無い.dat\n");
}

TEST_F(QRunTest, MalformedKeyWaitSettingEndsWithCodeOne) {
    game(kGame + "[keywait]\nviewstrXY_flasher=1,,2\n", kHeader + "a\r\n");
    const RunResult r = headless();
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "エラー　　LINE:0: INI [keywait]\nviewstrXY_flasherが異常です\n");
    EXPECT_EQ(trace(), "");
}

TEST_F(QRunTest, MalformedHonbunSettingEndsWithoutInterpreting) {
    game(kGame + "fontColors=&Hffffff\n", kHeader + "a\r\nb\r\n");
    const RunResult r = headless();
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "エラー　　LINE:0: INI] fontColorsが異常です\n");
    EXPECT_EQ(trace(), "");
}

TEST_F(QRunTest, PlaysToTheEndAndWaitsForTheUser) {
    game(kGame, kHeader + utf8ToCp932("あ\r\n/allblt,;\r\n/@,;\r\nい\r\n/\\,;\r\nう\r\n"));
    input("# a reader\n500 key space\n\n900 key enter\n1500 key esc\n");
    const RunResult r = headless("--input input.txt");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(trace(), "s.dat:2: あ\ns.dat:3: /allblt\ns.dat:4: /@\ns.dat:5: い\ns.dat:6: /\\\ns.dat:7: う\n");
}

TEST_F(QRunTest, EscEndsWhileTextIsPlaying) {
    std::string body;
    for (int i = 0; i < 20; ++i) body += "line\r\n";
    game("[main]\nFirstScenario=s.dat\n[honbun]\nlineSpeed=100\n", kHeader + body);
    input("250 key esc\n");
    const RunResult r = headless("--input input.txt");
    EXPECT_EQ(r.exitCode, 0);
    const std::string t = trace();
    // Keys pressed during a pause are handled after it: three lines, then Esc.
    EXPECT_EQ(t, "s.dat:2: line\ns.dat:3: line\ns.dat:4: line\n");
}

TEST_F(QRunTest, ScenarioHeldByAnotherProcess) {
    game(kGame, kHeader + "a\r\n");
    int ready[2], release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    const pid_t holder = ::fork();
    if (holder == 0) {
        LockedFile held;
        const bool ok = held.open(folder.file("s.dat"), O_RDONLY, LockKind::shared) == OpenStatus::ok;
        char c = ok ? 'y' : 'n';
        (void)!::write(ready[1], &c, 1);
        (void)!::read(release[0], &c, 1);
        ::_exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ASSERT_EQ(c, 'y');
    const RunResult r = headless();
    (void)!::write(release[1], &c, 1);
    ::waitpid(holder, nullptr, 0);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "errexit(): [二重起動]\nシナリオファイルが開けません\n");
    EXPECT_EQ(trace(), "");
}

TEST_F(QRunTest, UnknownCommandAtTheEndEndsTheProgram) {
    game(kGame, kHeader + "a\r\n/bgn,x.mp3,;");
    const RunResult r = headless();
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "エラー　s.dat　LINE:3: 存在しない命令があります\n/bgn\n");
}

TEST_F(QRunTest, F12RestartsWithTheClockAndInputGoingOn) {
    game(kGame, kHeader + "a\r\n/@,;\r\nb\r\n");
    input("100 key f12\n200 key space\n300 key esc\n");
    const RunResult r = headless("--input input.txt --capture caps");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");  // the new instance never meets the old one's lock
    EXPECT_EQ(trace(), "s.dat:2: a\ns.dat:3: /@\ns.dat:2: a\ns.dat:3: /@\ns.dat:4: b\n");
    EXPECT_TRUE(exists("caps/wait-0001.png"));
    EXPECT_TRUE(exists("caps/wait-0002.png"));
    EXPECT_FALSE(exists("caps/wait-0003.png"));
}

TEST_F(QRunTest, CapturesAtEachWaitAndAtTheEnd) {
    game(kGame, kHeader + "a\r\n/@,;\r\nb\r\n/\\,;\r\nc\r\n");
    input("500 key space\n1000 key space\n1500 key esc\n");
    const RunResult r = headless("--input input.txt --capture caps");
    EXPECT_EQ(r.exitCode, 0);
    for (const char* name : {"caps/wait-0001.png", "caps/wait-0002.png", "caps/end.png"}) {
        ASSERT_TRUE(exists(name)) << name;
        EXPECT_EQ(folder.read(name).substr(0, 8), "\x89PNG\r\n\x1a\n") << name;
    }
    EXPECT_FALSE(exists("caps/wait-0003.png"));
}

TEST_F(QRunTest, HeldSpaceDoesNotRunThroughWaitsButHeldZDoes) {
    game(kGame, kHeader + "/@,;\r\na\r\n/@,;\r\nb\r\n");
    input("100 down space\n3000 up space\n");
    RunResult r = headless("--input input.txt --until 4000");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(trace(), "s.dat:2: /@\ns.dat:3: a\ns.dat:4: /@\n");

    input("100 down z\n3000 up z\n");
    r = headless("--input input.txt --until 4000");
    EXPECT_EQ(trace(), "s.dat:2: /@\ns.dat:3: a\ns.dat:4: /@\ns.dat:5: b\n");
}

TEST_F(QRunTest, NothingAdvancesWithoutFocus) {
    game(kGame, kHeader + "a\r\nb\r\n");
    input("0 focus out\n5000 key esc\n");
    RunResult r = headless("--input input.txt");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(trace(), "");
}

TEST_F(QRunTest, UntilEndsANeverEndingScenario) {
    game(kGame, kHeader + "/@,;\r\n");
    const RunResult r = headless("--until 3000");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(trace(), "s.dat:2: /@\n");
}

TEST_F(QRunTest, CommandLineErrors) {
    game(kGame, kHeader + "a\r\n");
    RunResult r = folder.run("--headless --bogus");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("--bogus"), std::string::npos);

    input("10 key space\n20 hop\n");
    r = folder.run("--headless --input input.txt");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("input.txt:2:"), std::string::npos) << r.err;

    r = folder.run("--headless --until soon");
    EXPECT_EQ(r.exitCode, 2);

    r = folder.run("--help");
    EXPECT_EQ(r.exitCode, 0);
    for (const char* option : {"--headless", "--input", "--capture", "--until", "--trace"}) {
        EXPECT_NE(r.out.find(option), std::string::npos) << option;
    }
}

TEST_F(QRunTest, NoDisplayEndsWithCodeOneAndPointsToHeadless) {
    game(kGame, kHeader + "a\r\n");
    const RunResult r = folder.run("", "env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("--headless"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace qt::engine::test
