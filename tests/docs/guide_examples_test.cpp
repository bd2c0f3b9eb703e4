// Every scenario example of the authors' guides, converted with the built
// qPre and played with the built qRun (headless) under the guides' own INI
// files, so that the guides cannot drift from the programs.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "common/cp932.h"
#include "common/scenario_format.h"
#include "engine/platform/platform_messages.h"
#include "support/program.h"

namespace {

const char* const kGuides[] = {"docs/authoring.md", "docs/authoring.ja.md"};

struct Block {
    std::string guide, text;  // text: UTF-8, LF ended lines
    int line = 0;             // of the opening fence
};

void PrintTo(const Block& b, std::ostream* os) { *os << b.guide << ":" << b.line; }

using qt::test::readFile;

// Fenced blocks whose info string is `info`; an INI file is found by the
// comment naming it on its first line.
std::vector<Block> blocks(const std::string& info, const char* guide = nullptr) {
    std::vector<Block> found;
    for (const char* g : kGuides) {
        if (guide != nullptr && guide != std::string(g)) continue;
        std::istringstream in(readFile(std::string(QT_SOURCE_DIR) + "/" + g));
        Block* open = nullptr;
        std::string line;
        for (int n = 1; std::getline(in, line); ++n) {
            if (open != nullptr && line == "```") open = nullptr;
            else if (open != nullptr) open->text += line + "\n";
            else if (line == "```" + info) open = &found.emplace_back(Block{g, "", n});
        }
    }
    return found;
}
std::string iniFile(const char* guide, const std::string& name) {
    for (const Block& b : blocks("ini", guide)) {
        if (b.text.starts_with("; " + name + "\n")) return b.text;
    }
    return "";
}

// The first value of a key wins, so one set at the top of its section holds.
std::string withKey(std::string ini, const std::string& section, const std::string& keyValue) {
    const std::string header = "[" + section + "]\n";
    const size_t at = ini.find(header);
    return at == std::string::npos ? ini : ini.insert(at + header.size(), keyValue + "\n");
}

// As authors on Windows write: Shift-JIS with CR LF line ends.
std::string asAuthored(const std::string& utf8) {
    std::string crlf;
    for (const char c : utf8) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return qt::utf8ToCp932(crlf);
}

class GuideExample : public ::testing::TestWithParam<Block> {
protected:
    // The game folder: both programs and the demo's pictures and sounds.
    static void SetUpTestSuite() {
        game_ = new qt::test::ProgramFolder({"qPre", "qRun"});
        ASSERT_EQ(game_->runBuilt("make_assets", "."), 0);
        std::string keys;  // Space every 400 ms of the engine's clock
        for (int ms = 400; ms < 20000; ms += 400) keys += std::to_string(ms) + " key space\n";
        game_->write("keys.txt", keys);
    }
    static void TearDownTestSuite() { delete game_; }

    static qt::test::ProgramFolder* game_;
};

qt::test::ProgramFolder* GuideExample::game_;

TEST_P(GuideExample, ConvertsAndPlays) {
    const Block& b = GetParam();
    const std::string preIni = iniFile(b.guide.c_str(), "qPre.ini"), runIni = iniFile(b.guide.c_str(), "qRun.ini");
    ASSERT_TRUE(!preIni.empty() && !runIni.empty());
    qt::test::ProgramFolder& game = *game_;
    game.ini(asAuthored(withKey(preIni, "main", "finishExit=1")));
    game.ini(asAuthored(withKey(withKey(runIni, "main", "FirstScenario=scene.dat"), "honbun", "lineSpeed=20")), "qRun");
    game.write("scene.txt", asAuthored(b.text));
    std::filesystem::remove(game / "scene.dat");

    // No failure, no error report, no warning (the guide's qPre.ini asks for them).
    EXPECT_EQ(game.run("./qPre scene.txt"), 0);
    EXPECT_EQ(game.out, "ドラッグ＆ドロップされたファイルをプリプロセス中...\r\n...プリプロセス終了\r\n");
    EXPECT_EQ(game.err, "");
    EXPECT_TRUE(game.read("scene.dat").starts_with(qt::scenario::kHeaderLine));
    // Written on Linux instead (UTF-8, LF), the same file comes out.
    const std::string converted = game.read("scene.dat"), console = game.out;
    game.write("scene.txt", b.text);
    EXPECT_EQ(game.run("./qPre scene.txt"), 0);
    EXPECT_EQ(game.out + game.err, console);
    EXPECT_EQ(game.read("scene.dat"), converted);

    // Nothing for --check to say either: no false alarms.
    EXPECT_EQ(game.run("./qPre --check scene.txt"), 0);
    EXPECT_EQ(game.out, "検査したソース 1 件: エラー 0 件、警告 0 件\r\n");

    // Every message box is also a "caption: text" report on standard error;
    // only the note about a missing audio device may stand there.
    EXPECT_EQ(game.run("./qRun --headless --input keys.txt --until 20000"), 0);
    std::string reports = game.err;
    const std::string note = std::string(qt::platform::msg::noAudioDevice.utf8()) += "\n";
    if (const size_t at = reports.find(note); at != std::string::npos) reports.erase(at, note.size());
    EXPECT_EQ(reports, "");
}

INSTANTIATE_TEST_SUITE_P(Guides, GuideExample, ::testing::ValuesIn(blocks("scenario")), [](const auto& info) {
    return (info.param.guide.ends_with(".ja.md") ? "ja_line" : "en_line") + std::to_string(info.param.line);
});

TEST(Guides, BothLanguagesShowTheSameExamples) {
    const size_t en = blocks("scenario", kGuides[0]).size();
    EXPECT_GE(en, 3u);
    EXPECT_EQ(blocks("scenario", kGuides[1]).size(), en);
}

}  // namespace
