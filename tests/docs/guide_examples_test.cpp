// Every scenario example of the authors' guides, converted with the built
// qPre and played with the built qRun (headless), with the guides' own INI
// files, so that the guides cannot drift from the programs.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "common/cp932.h"
#include "engine/platform/platform_messages.h"

namespace {

namespace fs = std::filesystem;

const char* const kGuides[] = {"docs/authoring.md", "docs/authoring.ja.md"};

struct Block {
    std::string guide;
    int line = 0;      // of the opening fence
    std::string info;  // scenario, ini, ...
    std::string text;  // UTF-8, LF ended lines
};

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::vector<Block> blocksOf(const std::string& guide) {
    std::vector<Block> blocks;
    std::istringstream in(readFile(std::string(QT_SOURCE_DIR) + "/" + guide));
    std::string line;
    Block* open = nullptr;
    for (int n = 1; std::getline(in, line); ++n) {
        if (open == nullptr) {
            if (line.rfind("```", 0) == 0) {
                blocks.push_back(Block{guide, n, line.substr(3), ""});
                open = &blocks.back();
            }
        } else if (line == "```") {
            open = nullptr;
        } else {
            open->text += line + "\n";
        }
    }
    return blocks;
}

std::vector<Block> allBlocks(const std::string& info) {
    std::vector<Block> found;
    for (const char* guide : kGuides) {
        for (Block& b : blocksOf(guide)) {
            if (b.info == info) found.push_back(std::move(b));
        }
    }
    return found;
}

// The guide's INI file whose first line names it (";" comment), in the
// guide written by `guide`.
std::string iniBlock(const std::string& guide, const std::string& name) {
    for (const Block& b : blocksOf(guide)) {
        if (b.info == "ini" && b.text.rfind("; " + name + "\n", 0) == 0) return b.text;
    }
    return "";
}

// Sets `key=value` in an INI text, replacing the key's line or adding one
// at the start of `section`.
std::string withKey(const std::string& ini, const std::string& section, const std::string& key,
                    const std::string& value) {
    std::istringstream in(ini);
    std::string out, line, current;
    bool done = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] == '[') current = line;
        if (!done && current == "[" + section + "]" && line.rfind(key + "=", 0) == 0) {
            line = key + "=" + value;
            done = true;
        }
        out += line + "\n";
    }
    if (!done) out = "[" + section + "]\n" + key + "=" + value + "\n" + out;
    return out;
}

// What the authors write: Shift-JIS with CR LF line ends.
std::string asAuthored(const std::string& utf8) {
    std::string crlf;
    for (const char c : utf8) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    return qt::utf8ToCp932(crlf);
}

struct RunResult {
    int exitCode = -1;
    std::string out, err;
};

// The game folder: both programs, the demo's pictures and sounds.
class GuideExample : public ::testing::TestWithParam<Block> {
  protected:
    static void SetUpTestSuite() {
        char tmpl[] = "/tmp/qt_guide_XXXXXX";
        dir_ = ::mkdtemp(tmpl);
        const std::string bin = std::getenv("QT_BIN_DIR");
        for (const char* exe : {"qPre", "qRun"}) fs::copy_file(bin + "/" + exe, dir_ + "/" + exe);
        ASSERT_EQ(std::system(("'" + bin + "/make_assets' '" + dir_ + "'").c_str()), 0);
        // A key press every 400 ms of the engine's clock.
        std::string keys;
        for (int ms = 400; ms < 20000; ms += 400) keys += std::to_string(ms) + " key space\n";
        writeFile(dir_ + "/keys.txt", keys);
    }
    static void TearDownTestSuite() {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    static RunResult run(const std::string& command) {
        const std::string full = "cd '" + dir_ + "' && LC_ALL=C.UTF-8 LSAN_OPTIONS=print_suppressions=0 timeout -s KILL 60 " +
                                 command + " </dev/null >out.txt 2>err.txt";
        const int status = std::system(full.c_str());
        return RunResult{WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(dir_ + "/out.txt"),
                   readFile(dir_ + "/err.txt")};
    }

    static std::string dir_;
};

std::string GuideExample::dir_;

TEST_P(GuideExample, ConvertsAndPlays) {
    const Block& b = GetParam();
    SCOPED_TRACE(b.guide + ":" + std::to_string(b.line));
    const std::string preIni = iniBlock(b.guide, "qPre.ini");
    const std::string runIni = iniBlock(b.guide, "qRun.ini");
    ASSERT_FALSE(preIni.empty());
    ASSERT_FALSE(runIni.empty());
    writeFile(dir_ + "/qPre.ini", asAuthored(withKey(preIni, "main", "finishExit", "1")));
    writeFile(dir_ + "/qRun.ini",
              asAuthored(withKey(withKey(runIni, "main", "FirstScenario", "scene.dat"), "honbun",
                                 "lineSpeed", "20")));
    writeFile(dir_ + "/scene.txt", asAuthored(b.text));
    std::remove((dir_ + "/scene.dat").c_str());

    // No failure, no error report, and no warning either (the guide's qPre.ini
    // asks for them).
    const RunResult pre = run("./qPre scene.txt");
    EXPECT_EQ(pre.exitCode, 0);
    EXPECT_EQ(pre.out, "ドラッグ＆ドロップされたファイルをプリプロセス中...\r\n...プリプロセス終了\r\n");
    EXPECT_EQ(pre.err, "");
    EXPECT_EQ(readFile(dir_ + "/scene.dat").substr(0, 4), "\x82\xA9\r\n");

    const RunResult play = run("./qRun --headless --input keys.txt --until 20000");
    EXPECT_EQ(play.exitCode, 0);
    // Every message box is also a "caption: text" line on standard error;
    // only the note about a missing audio device may stand there.
    std::string reports;
    std::istringstream err(play.err);
    for (std::string line; std::getline(err, line);) {
        if (line != qt::platform::msg::noAudioDevice.utf8()) reports += line + "\n";
    }
    EXPECT_EQ(reports, "");
}

std::string blockName(const ::testing::TestParamInfo<Block>& info) {
    std::string name = info.param.guide.find(".ja.") != std::string::npos ? "ja_line" : "en_line";
    return name + std::to_string(info.param.line);
}

INSTANTIATE_TEST_SUITE_P(Guides, GuideExample, ::testing::ValuesIn(allBlocks("scenario")), blockName);

// Both guides show the same examples and the complete INI files that the
// example runs use.
TEST(Guides, SameExamplesInBothLanguages) {
    const std::vector<Block> en = blocksOf(kGuides[0]);
    const std::vector<Block> ja = blocksOf(kGuides[1]);
    auto count = [](const std::vector<Block>& blocks, const std::string& info) {
        int n = 0;
        for (const Block& b : blocks) n += b.info == info ? 1 : 0;
        return n;
    };
    EXPECT_GE(count(en, "scenario"), 3);
    EXPECT_EQ(count(en, "scenario"), count(ja, "scenario"));
    EXPECT_EQ(count(en, "ini"), count(ja, "ini"));
    for (const char* guide : kGuides) {
        EXPECT_NE(iniBlock(guide, "qRun.ini"), "") << guide;
        EXPECT_NE(iniBlock(guide, "qPre.ini"), "") << guide;
    }
    for (const Block& b : en) {
        EXPECT_TRUE(b.info == "scenario" || b.info == "ini" || b.info == "text")
            << b.guide << ":" << b.line << " " << b.info;
    }
}

}  // namespace
