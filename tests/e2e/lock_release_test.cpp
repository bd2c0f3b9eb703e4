// qRun killed while one of its message boxes is up: the scenario's lock
// goes with the process, so a second engine can play the same scenario.
#include <gtest/gtest.h>
#include <signal.h>

#include <optional>
#include <string>

#include "common/scenario_format.h"
#include "support/program.h"
#include "support/x_session.h"

namespace qt::e2e {
namespace {

using namespace qt::test;

TEST(LockRelease, KillingQRunDuringAMessageBoxReleasesTheScenario) {
    if (const std::string tool = XSession::missingTool(); !tool.empty()) GTEST_SKIP() << tool << " is not installed";
    ProgramFolder game({"qRun"});
    game.ini("[main]\r\nFirstScenario=s.dat\r\n[honbun]\r\nlineSpeed=0\r\n");
    game.write("s.dat", std::string(scenario::kHeaderLine) + "/nosuch,;\r\ntext\r\n/end,;\r\n");
    XSession x(false);
    ASSERT_TRUE(x.ready());
    const pid_t pid = x.start({"./qRun"}, game.path());
    ASSERT_TRUE(poll([&] {
        for (const XWindow& w : x.windows()) {
            if (w.pid == pid && w.width != 640) return true;  // the box beside the main window
        }
        return false;
    })) << game.read("err.txt");
    ASSERT_EQ(::kill(pid, SIGKILL), 0);
    EXPECT_EQ(x.exitCode(pid), 128 + SIGKILL);

    game.write("keys.txt", "");
    EXPECT_EQ(game.run("./qRun --headless --input keys.txt --trace trace.txt"), 0) << game.err;
    EXPECT_EQ(game.err.find("二重起動"), std::string::npos) << game.err;
    EXPECT_EQ(game.read("trace.txt"), "s.dat:2: /nosuch\ns.dat:3: text\ns.dat:4: /end\n");
}

}  // namespace
}  // namespace qt::e2e
