// The console sessions of the authors' guides (```console blocks), typed in
// the demo game laid out as scripts/demo lays it out: each "$ " line is run,
// and what it prints must be the lines under it.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/program.h"

namespace {

namespace fs = std::filesystem;

struct Session {
    std::string guide;
    int line = 0;                                            // of the opening fence
    std::vector<std::pair<std::string, std::string>> steps;  // command, what it prints
};

void PrintTo(const Session& s, std::ostream* os) { *os << s.guide << ":" << s.line; }

std::vector<Session> sessions() {
    std::vector<Session> found;
    for (const char* guide : {"docs/authoring.md", "docs/authoring.ja.md"}) {
        std::istringstream in(qt::test::readFile(std::string(QT_SOURCE_DIR) + "/" + guide));
        Session* open = nullptr;
        std::string line;
        for (int n = 1; std::getline(in, line); ++n) {
            if (open == nullptr) {
                if (line == "```console") open = &found.emplace_back(Session{guide, n, {}});
            } else if (line == "```") {
                open = nullptr;
            } else if (line.starts_with("$ ")) {
                open->steps.emplace_back(line.substr(2), "");
            } else if (!open->steps.empty()) {
                open->steps.back().second += line + "\n";
            }
        }
    }
    return found;
}

class GuideSession : public ::testing::TestWithParam<Session> {};

TEST_P(GuideSession, PrintsWhatTheGuideShows) {
    qt::test::ProgramFolder game({"qRun", "qPre"});
    for (const auto& entry : fs::directory_iterator(std::string(QT_SOURCE_DIR) + "/examples/demo")) {
        const std::string ext = entry.path().extension();
        if (ext == ".txt" || ext == ".ini") fs::copy_file(entry.path(), game / entry.path().filename());
    }
    ASSERT_EQ(game.runBuilt("make_assets", "."), 0);
    ASSERT_EQ(game.run("./qPre --batch"), 0);
    for (const auto& [command, prints] : GetParam().steps) {
        EXPECT_EQ(game.run(command), 0) << command;
        EXPECT_EQ(game.out + game.err, prints) << command;
    }
}

INSTANTIATE_TEST_SUITE_P(Guides, GuideSession, ::testing::ValuesIn(sessions()), [](const auto& info) {
    return (info.param.guide.ends_with(".ja.md") ? "ja_line" : "en_line") + std::to_string(info.param.line);
});

}  // namespace
