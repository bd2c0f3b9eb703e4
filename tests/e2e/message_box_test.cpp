// qRun's message boxes on a private X server that has no fonts of its own
// beyond the defaults, in a locale that is not Japanese: the box shows the
// text as the engine draws it, and Enter closes it; killed while the box is
// up, qRun leaves its scenario to a second engine.
#include <gtest/gtest.h>
#include <signal.h>

#include <optional>
#include <string>
#include <utility>

#include "common/cp932.h"
#include "common/scenario_format.h"
#include "engine/core/message_box.h"
#include "engine/core/messages.h"
#include "engine/platform/freetype/freetype_text.h"
#include "support/program.h"
#include "support/x_session.h"

namespace qt::e2e {
namespace {

using namespace qt::test;

// qRun playing an unknown command in `game` under `x`: its pid and the box
// beside its main window.
std::optional<std::pair<pid_t, XWindow>> startWithABox(XSession& x, ProgramFolder& game, const std::string& ini,
                                                       const std::string& rest) {
    game.ini("[main]\r\nFirstScenario=s.dat\r\n" + ini);
    game.write("s.dat", std::string(scenario::kHeaderLine) + "/nosuch,;\r\n" + rest);
    if (!x.ready()) return std::nullopt;
    const pid_t pid = x.start({"env", "LANG=C.UTF-8", "LC_ALL=C.UTF-8", "./qRun"}, game.path());
    std::optional<XWindow> box;
    poll([&] {
        for (const XWindow& w : x.windows()) {
            if (w.pid == pid && w.width != 640) box = w;
        }
        return box.has_value();
    });
    if (!box) return std::nullopt;
    return std::pair(pid, *box);
}

TEST(MessageBox, ShowsTheEnginesOwnPictureAndClosesOnEnter) {
    if (const std::string tool = XSession::missingTool(); !tool.empty()) GTEST_SKIP() << tool << " is not installed";
    ProgramFolder game({"qRun"});
    XSession x(false);
    const auto started = startWithABox(x, game, "", utf8ToCp932("本文\r\n/@,;\r\n"));
    ASSERT_TRUE(started) << game.read("err.txt");
    const pid_t pid = started->first;
    const std::optional<XWindow> box = started->second;

    platform::BoxPicture expected;
    const auto text = platform::createFreeTypeText();
    ASSERT_TRUE(engine::drawMessageBox(*text, engine::msg::unknownCommand.cp932() + "nosuch",
                                       platform::BoxIcon::exclamation, expected));
    ASSERT_EQ(box->width * 10000 + box->height, expected.picture.width() * 10000 + expected.picture.height());
    platform::Surface shown;
    ASSERT_TRUE(poll(
        [&] {
            if (!x.grab(*box, shown)) return false;
            for (int i = 0; i < shown.width() * shown.height(); ++i) {
                const int px = i % shown.width(), py = i / shown.width();
                if (shown.pixel(px, py) != expected.picture.pixel(px, py)) return false;
            }
            return true;
        },
        5000))
        << "the box does not show the engine's picture";
    // Its text is the engine's own drawing of the two lines, left of the icon.
    platform::FontRequest request;
    request.face = utf8ToCp932("ＭＳ ゴシック");
    request.height = 16;
    request.antialiased = true;
    const auto font = text->createFont(request);
    platform::Surface lines;
    ASSERT_TRUE(lines.create(shown.width(), 40, platform::rgb(255, 255, 255)));
    font->draw(lines, 0, 0, utf8ToCp932("存在しない命令があります"), 0, std::nullopt);
    font->draw(lines, 0, 20, "/nosuch", 0, std::nullopt);
    int inked = 0;
    for (int i = 0; i < (shown.width() - 60) * 40; ++i) {
        const int px = i % (shown.width() - 60), py = i / (shown.width() - 60);
        EXPECT_EQ(shown.pixel(60 + px, 16 + py), lines.pixel(px, py)) << px << "," << py;
        inked += lines.pixel(px, py) != platform::rgb(255, 255, 255);
        if (HasFailure()) break;
    }
    EXPECT_GT(inked, 200);
    std::string name;
    x.xdotool("getwindowname " + std::to_string(box->id), &name);
    EXPECT_EQ(name, "エラー　s.dat　LINE:2\n");

    x.xdotool("key --window " + std::to_string(box->id) + " Return");
    EXPECT_TRUE(poll(
        [&] {
            for (const XWindow& w : x.windows()) {
                if (w.id == box->id) return false;
            }
            return true;
        },
        5000));
    // The engine's window has the focus again and goes on.
    const std::optional<XWindow> main = x.windowOf(pid);
    ASSERT_TRUE(main);
    EXPECT_TRUE(poll(
        [&] {
            std::string focused;
            return x.xdotool("getwindowfocus", &focused) && focused == std::to_string(main->id) + "\n";
        },
        5000));
    x.xdotool("key Escape");
    EXPECT_EQ(x.exitCode(pid), 0) << game.read("err.txt");
    EXPECT_EQ(game.read("err.txt").substr(0, 40),
              std::string("エラー　s.dat　LINE:2: 存在しない命令があります").substr(0, 40));
}

TEST(MessageBox, KillingQRunDuringABoxReleasesTheScenario) {
    if (const std::string tool = XSession::missingTool(); !tool.empty()) GTEST_SKIP() << tool << " is not installed";
    ProgramFolder game({"qRun"});
    XSession x(false);
    const auto started = startWithABox(x, game, "[honbun]\r\nlineSpeed=0\r\n", "text\r\n/end,;\r\n");
    ASSERT_TRUE(started) << game.read("err.txt");
    ASSERT_EQ(::kill(started->first, SIGKILL), 0);
    EXPECT_EQ(x.exitCode(started->first), 128 + SIGKILL);

    game.write("keys.txt", "");
    EXPECT_EQ(game.run("./qRun --headless --input keys.txt --trace trace.txt"), 0) << game.err;
    EXPECT_EQ(game.err.find("二重起動"), std::string::npos) << game.err;
    EXPECT_EQ(game.read("trace.txt"), "s.dat:2: /nosuch\ns.dat:3: text\ns.dat:4: /end\n");
}

}  // namespace
}  // namespace qt::e2e
