// The author's loop on the demo game: qRun --from any wait shows what a full
// play shows there, and F5 in author mode converts an edited source and shows
// it at the same page, headless and in the real window.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "common/cp932.h"
#include "engine/platform/pixels/image.h"
#include "support/program.h"
#include "support/x_session.h"

namespace qt::e2e {
namespace {

namespace fs = std::filesystem;
using namespace qt::test;

// Space every two seconds of the engine's clock: past every wait of the demo.
const std::string kSpaces =
    "2000 key space\n4000 key space\n6000 key space\n8000 key space\n10000 key space\n"
    "12000 key space\n14000 key space\n";

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

struct DemoGame : ProgramFolder {
    DemoGame() : ProgramFolder({"qRun", "qPre"}) { copyDemo(QT_DEMO_DIR); }
    int convert() { return run("./qPre --batch"); }
    // Headless with `script`, the pictures into the folder `caps`, the trace
    // into `caps`.txt; the exit code.
    int play(const std::string& script, const std::string& caps, const std::string& args = "") {
        write("keys.txt", script);
        fs::remove_all(file(caps));
        return run("./qRun --headless --input keys.txt --capture " + caps + " --trace " + caps + ".txt " + args);
    }
    // Replaces UTF-8 `from` by `to` in the source `name` (Shift-JIS).
    void edit(const std::string& name, const std::string& from, const std::string& to) {
        std::string text = cp932ToUtf8(read(name));
        const size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        write(name, utf8ToCp932(text.replace(at, from.size(), to)));
    }
};

// The demo's page 2 and a line of it as the author changes it.
const std::string kLine = "猫はそう言って", kEdited = "猫はしっぽを振って";
const std::string kBroken = "/bgm \"music.wav\r\n";  // the quote never closes

TEST(AuthorLoop, FromEveryWaitShowsWhatAFullPlayShowsThere) {
    DemoGame game;
    ASSERT_EQ(game.convert(), 0) << game.err;
    EXPECT_EQ(game.out,
              "\n chapter1.txt\t→\tchapter1.dat\r\n\n chapter2.txt\t→\tchapter2.dat\r\n...プリプロセス終了\r\n");
    ASSERT_EQ(game.play(kSpaces, "full", "--until 20000"), 0) << game.err;
    const std::vector<std::string> full = linesOf(game.read("full.txt"));
    size_t wait = 0;
    for (size_t step = 0; step < full.size(); ++step) {
        if (!full[step].ends_with(": /@") && !full[step].ends_with(": /\\")) continue;
        const std::string at = full[step].substr(0, full[step].size() - 4);
        ASSERT_EQ(game.play("", "from", "--until 5000 --from " + at), 0) << game.err;
        EXPECT_EQ(game.err, "");
        char name[32];
        std::snprintf(name, sizeof name, "full/wait-%04zu.png", ++wait);
        EXPECT_TRUE(game.read("from/wait-0001.png") == game.read(name)) << at;
        // The full play's steps before the wait, fast-forwarded; then the wait.
        const std::vector<std::string> from = linesOf(game.read("from.txt"));
        ASSERT_GT(from.size(), step);
        for (size_t i = 0; i < step; ++i) EXPECT_EQ(from[i], "fast-forward " + full[i]);
        EXPECT_EQ(from[step], full[step]);
    }
    EXPECT_EQ(wait, 7u);

    // Said on standard error; the run does not start.
    // clang-format off
    const std::pair<const char*, const char*> wrong[] = {
        {"nothing.txt:3", "qRun: --from: no such file: nothing.txt\n"},
        {"chapter1.txt:26", "qRun: --from: the source has no such line: chapter1.txt:26\n"},
        {"chapter1.txt", "qRun: --from needs FILE:LINE, LINE from 1 (see --help)\n"},
        {"chapter1.txt:0", "qRun: --from needs FILE:LINE, LINE from 1 (see --help)\n"},
        {"qRun.ini:3", "qRun: --from: not converted yet (run qPre): qRun.ini\n"},
    };
    // clang-format on
    for (const auto& [from, said] : wrong) {
        EXPECT_EQ(game.play("", "from", std::string("--from ") + from), 2) << from;
        EXPECT_EQ(game.err, said);
    }
    // A source changed since its conversion is played all the same, and said.
    fs::last_write_time(game / "chapter1.txt", fs::last_write_time(game / "chapter1.dat") + std::chrono::seconds(2));
    EXPECT_EQ(game.play("", "from", "--until 5000 --from chapter1.txt:13"), 0);
    EXPECT_EQ(game.err, "qRun: --from: changed after it was converted (run qPre): chapter1.txt\n");
}

// Headless: page 2 is on screen (its wait is the third) when F5 comes.
TEST(AuthorLoop, F5ShowsTheEditedPageOrWhatWentWrongHeadless) {
    DemoGame game;
    ASSERT_EQ(game.convert(), 0);
    ASSERT_EQ(game.play(kSpaces, "before", "--until 20000"), 0);

    // Broken: qPre's words, and the play goes on from memory where it was.
    game.edit("chapter1.txt", "/se bell.wav\r\n", kBroken + "/se bell.wav\r\n");
    const std::string keys = "2000 key space\n4000 key space\n6000 key f5\n7000 key space\n9000 key esc\n";
    EXPECT_EQ(game.play(keys, "broken", "--author"), 0);
    EXPECT_EQ(game.err,
              "qPre: エラー　chapter1.txt　LINE:16: 命令引数]\nダブルクォーテーションの終端が見つかりません\n");
    EXPECT_TRUE(game.read("broken/wait-0004.png") == game.read("before/wait-0004.png"));
    EXPECT_EQ(std::ranges::count(linesOf(game.read("broken.txt")), "chapter1.dat:2: /curid"), 1);

    // Edited: the same page again, its new text as a full play shows it.
    game.edit("chapter1.txt", kBroken, "");
    ASSERT_EQ(game.convert(), 0);
    game.edit("chapter1.txt", kLine, kEdited);
    EXPECT_EQ(game.play("2000 key space\n4000 key space\n6000 key f5\n8000 key esc\n", "reload", "--author"), 0)
        << game.err;
    EXPECT_EQ(game.err, "");
    ASSERT_EQ(game.play(kSpaces, "after", "--until 20000"), 0);
    EXPECT_TRUE(game.read("after/wait-0003.png") != game.read("before/wait-0003.png"));
    EXPECT_TRUE(game.read("reload/wait-0003.png") == game.read("before/wait-0003.png"));
    EXPECT_TRUE(game.read("reload/wait-0004.png") == game.read("after/wait-0003.png"));
    const std::vector<std::string> trace = linesOf(game.read("reload.txt"));
    const auto restart = std::ranges::find(trace, "fast-forward chapter1.dat:2: /curid");
    ASSERT_NE(restart, trace.end());
    EXPECT_EQ(restart[13], "chapter1.dat:15: 　" + kEdited + "、大きなあくびをひとつしました。");
}

// F5 in fullscreen (switched on by the player, not by an option) stays there.
TEST(AuthorLoop, F5KeepsTheScreenTheAuthorSwitchedTo) {
    DemoGame game;
    ASSERT_EQ(game.convert(), 0);
    ASSERT_EQ(game.play("1000 key f11\n2000 key space\n4000 key space\n6000 key f5\n8000 key esc\n", "fs", "--author"),
              0)
        << game.err;
    // The PNG header's width and height.
    const std::string before = game.read("fs/wait-0003.png").substr(16, 8),
                      after = game.read("fs/wait-0004.png").substr(16, 8);
    EXPECT_EQ(after, before);
    EXPECT_NE(after, game.read("fs/wait-0001.png").substr(16, 8));
}

// The same picture, but for the key-wait prompt in the lower right corner.
bool samePage(const platform::Surface& a, const platform::Surface& b) {
    if (a.width() != b.width() || a.height() != b.height()) return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if ((x < 556 || y < 452) && a.pixel(x, y) != b.pixel(x, y)) return false;
    return true;
}

// The real window: the title names the page, F5 shows the edited page.
TEST(AuthorLoop, F5ShowsTheEditedPageInTheWindow) {
    if (const std::string tool = XSession::missingTool(); !tool.empty()) GTEST_SKIP() << tool << " is not installed";
    DemoGame game;
    // What the edited first page looks like at its wait.
    game.edit("chapter1.txt", "ここは広い草原です", "ここは静かな草原です");
    ASSERT_EQ(game.convert(), 0);
    ASSERT_EQ(game.play("", "edited", "--until 5000"), 0);
    platform::Surface expected;
    ASSERT_TRUE(platform::loadImage(game / "edited/wait-0001.png", expected));
    game.edit("chapter1.txt", "ここは静かな草原です", "ここは広い草原です");
    ASSERT_EQ(game.convert(), 0);

    XSession x;
    ASSERT_TRUE(x.ready());
    pid_t pid = 0;
    const auto window = x.startMapped(pid, {"./qRun", "--author", "--trace", "trace.txt"}, game.path());
    ASSERT_TRUE(window) << "no window; exit " << x.exitCode(pid, 0) << "\n"
                        << game.read("err.txt") << "trace:\n"
                        << game.read("trace.txt");
    ASSERT_TRUE(poll([&] { return game.read("trace.txt").find(": /@") != std::string::npos; }));
    std::string title;
    EXPECT_TRUE(x.xdotool("getwindowname " + std::to_string(window->id), &title));
    EXPECT_EQ(title, "qRun デモ「猫と草原」　chapter1.dat:2\n");

    game.edit("chapter1.txt", "ここは広い草原です", "ここは静かな草原です");
    x.xdotool("key F5");
    std::optional<XWindow> again;
    platform::Surface shot;
    EXPECT_TRUE(poll([&] {
        again = x.windowOf(pid, 0);
        return again && x.grab(*again, shot) && samePage(shot, expected);
    })) << game.read("err.txt");
    title.clear();
    EXPECT_TRUE(x.xdotool("getwindowname " + std::to_string(again ? again->id : 0), &title));
    EXPECT_EQ(title, "qRun デモ「猫と草原」　chapter1.dat:2\n");
    x.xdotool("key Escape");
    EXPECT_EQ(x.exitCode(pid), 0);
}

}  // namespace
}  // namespace qt::e2e
