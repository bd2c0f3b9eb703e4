// The built qRun in a folder of its own, on the headless backend.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/cp932.h"
#include "common/scenario_format.h"
#include "support/program.h"

namespace qt::engine::test {
namespace {

const std::string kGame = "[main]\nFirstScenario=s.dat\n[honbun]\nlineSpeed=0\n";

class QRunTest : public ::testing::Test {
protected:
    void game(const std::string& iniUtf8, const std::string& bodyUtf8) {
        q.ini(utf8ToCp932(iniUtf8));
        q.write("s.dat", scenario::kHeaderLine + utf8ToCp932(bodyUtf8));
    }
    // Runs headless with a trace and an input script; "code|stderr|trace".
    std::string run(const std::string& input = "", const std::string& extra = "") {
        q.write("input.txt", input);
        const int code = q.run("./qRun --headless --trace trace.txt --input input.txt " + extra);
        return std::to_string(code) + "|" + q.err + "|" + q.read("trace.txt");
    }
    qt::test::ProgramFolder q{{"qRun"}};
};

TEST_F(QRunTest, SettingsErrors) {
    EXPECT_EQ(run(), "1|errexit(): 「最初に読み込むシナリオファイル」が存在しません\n\n|");
    game("[main]\nFirstScenario=シナリオ\\無い.dat\n", "");
    EXPECT_EQ(run(), "1|errexit(): 「最初に読み込むシナリオファイル」が存在しません\nシナリオ\\無い.dat\n|");
    game(kGame + "[keywait]\nviewstrXY_flasher=1,,2\n", "a\r\n");
    EXPECT_EQ(run(), "1|エラー　　LINE:0: INI [keywait]\nviewstrXY_flasherが異常です\n|");
}

TEST_F(QRunTest, PlaysToTheEndAndWaitsForTheReader) {
    game(kGame, "あ\r\n/allblt,;\r\n/@,;\r\nい\r\n/\\,;\r\nう\r\n");
    EXPECT_EQ(run("# a reader\n500 key space\n\n900 key enter\n1500 key esc\n"),
              "0||s.dat:2: あ\ns.dat:3: /allblt\ns.dat:4: /@\ns.dat:5: い\ns.dat:6: /\\\ns.dat:7: う\n");
    // Keys pressed during a pause are handled after it.
    game("[main]\nFirstScenario=s.dat\n[honbun]\nlineSpeed=100\n", "a\r\nb\r\nc\r\nd\r\ne\r\n");
    EXPECT_EQ(run("250 key esc\n"), "0||s.dat:2: a\ns.dat:3: b\ns.dat:4: c\n");
    game(kGame, "a\r\nb\r\n");
    EXPECT_EQ(run("0 focus out\n5000 key esc\n"), "0||");
    // Held keys repeat: Z runs through key waits, Space does not.
    game(kGame, "/@,;\r\na\r\n/@,;\r\nb\r\n");
    EXPECT_EQ(run("100 down space\n3000 up space\n", "--until 4000"), "0||s.dat:2: /@\ns.dat:3: a\ns.dat:4: /@\n");
    EXPECT_EQ(run("100 down z\n", "--until 4000"), "0||s.dat:2: /@\ns.dat:3: a\ns.dat:4: /@\ns.dat:5: b\n");
}

TEST_F(QRunTest, F12RestartsAndCapturesGoOn) {
    game(kGame, "a\r\n/@,;\r\nb\r\n/\\,;\r\nc\r\n");
    // The new instance never meets the old one's lock, and goes on with the script.
    EXPECT_EQ(run("100 key f12\n200 key space\n300 key esc\n", "--capture caps"),
              "0||s.dat:2: a\ns.dat:3: /@\ns.dat:2: a\ns.dat:3: /@\ns.dat:4: b\ns.dat:5: /\\\n");
    for (const char* name : {"caps/wait-0001.png", "caps/wait-0002.png", "caps/wait-0003.png", "caps/end.png"}) {
        EXPECT_EQ(q.read(name).substr(0, 8), "\x89PNG\r\n\x1a\n") << name;
    }
    EXPECT_FALSE(std::filesystem::exists(q / "caps/wait-0004.png"));
}

TEST_F(QRunTest, CommandLine) {
    game(kGame, "a\r\n");
    EXPECT_EQ(q.run("./qRun --headless --bogus"), 2);
    EXPECT_NE(q.err.find("--bogus"), std::string::npos);
    q.write("bad.txt", "10 key space\n20 hop\n");
    EXPECT_EQ(q.run("./qRun --headless --input bad.txt"), 2);
    EXPECT_NE(q.err.find("bad.txt:2:"), std::string::npos) << q.err;
    EXPECT_EQ(q.run("./qRun --headless --until soon"), 2);
    EXPECT_EQ(q.run("./qRun --version"), 0);
    EXPECT_EQ(q.out, "qRun " QT_VERSION "\n");
    EXPECT_EQ(q.run("./qRun --help"), 0);
    for (const char* option : {"--version", "--headless", "--input", "--capture", "--until", "--trace"}) {
        EXPECT_NE(q.out.find(option), std::string::npos) << option;
    }
    // No display: a clear word and nothing from the libraries tried.
    EXPECT_EQ(q.run("env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER ./qRun"), 1);
    EXPECT_EQ(q.err, "qRun: cannot open a window (no display?); run with --headless to play without one\n");
    EXPECT_EQ(q.run("env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER DISPLAY=:9999 ./qRun"), 1);  // named but not there
    EXPECT_NE(q.err.find("qRun: cannot open a window (no display?); run with --headless"), std::string::npos) << q.err;
}

}  // namespace
}  // namespace qt::engine::test
