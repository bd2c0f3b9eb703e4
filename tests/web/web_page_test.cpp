// Games as web pages (scripts/web), played in headless Chromium against the
// desktop's headless captures and reports of the same game folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/platform/pixels/image.h"
#include "engine/platform/platform_messages.h"
#include "support/program.h"

namespace qt::web {
namespace {

namespace fs = std::filesystem;
using namespace qt::test;

// Set up by ./scripts/setup --web: the browser build and Chromium.
std::string missingWebSetup() {
    if (!fs::exists(std::string(QT_SOURCE_DIR) + "/build/web/bin/qRun.wasm")) return "the browser build";
    if (!fs::exists("/usr/bin/chromium")) return "chromium";
    return "";
}

class WebPage : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::string missing = missingWebSetup(); !missing.empty())
            GTEST_SKIP() << missing << " is not set up (./scripts/setup --web)";
    }

    // The game folder as a page in `site`; false with the reason in game.err.
    bool makeSite() { return game.run(std::string(QT_SOURCE_DIR) + "/scripts/web . site >/dev/null") == 0; }
    // Runs `steps` on the page; the driver's files land in `out`.
    bool drive(const std::string& steps) {
        game.write("steps.txt", steps);
        fs::create_directories(game / "out");
        return game.run("/usr/bin/python3 " + std::string(QT_SOURCE_DIR) +
                        "/tests/web/page_driver.py site out steps.txt") == 0;
    }
    std::string result(const std::string& name) { return game.read("out/" + name + ".json"); }
    std::vector<std::string> consoleLines() {
        std::vector<std::string> lines;
        const std::string text = game.read("out/console.txt");
        for (size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
            lines.push_back(text.substr(at, end - at));
        return lines;
    }

    ProgramFolder game{{"qRun", "qPre"}};
};

// The demo's text cells and prompt (as in the desktop's demo test).
bool inTextCells(int x, int y) {
    return (x >= 30 && y >= 298 && y < 442 && (y - 298) % 40 < 24) || (x >= 556 && y >= 452);
}

struct Difference {
    int outside = 0, inside = 0, cells = 0;
};

// The canvas the driver saved ("W H\n", RGBA) against a desktop capture.
Difference compare(const std::string& rgba, const platform::Surface& desktop) {
    Difference d;
    const size_t header = rgba.find('\n');
    if (header == std::string::npos || rgba.size() != header + 1 + size_t{640} * 480 * 4 || desktop.width() != 640 ||
        desktop.height() != 480) {
        d.outside = -1;
        return d;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(rgba.data() + header + 1);
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x, p += 4) {
            const platform::ColorRef c = desktop.pixel(x, y);
            const bool same = p[0] == (c & 0xFF) && p[1] == ((c >> 8) & 0xFF) && p[2] == ((c >> 16) & 0xFF);
            if (inTextCells(x, y)) {
                ++d.cells;
                d.inside += !same;
            } else {
                d.outside += !same;
            }
        }
    }
    return d;
}

const char kState[] = "Module._qt_run_state()", kWaits[] = "Module._qt_waits()";
const char kAudio[] =
    "[Module.SDL2&&Module.SDL2.audioContext?Module.SDL2.audioContext.state:'none',Module._qt_music_playing()]";

// The demo page by page as the desktop plays it; keys, a tap, the end with
// its play-again button, F12 and Esc; sound once the first key allows it.
TEST_F(WebPage, DemoPlaysAsOnTheDesktop) {
    for (const auto& entry : fs::directory_iterator(std::string(QT_SOURCE_DIR) + "/examples/demo")) {
        const std::string ext = entry.path().extension();
        if (ext == ".txt" || ext == ".ini") fs::copy_file(entry.path(), game.file(entry.path().filename()));
    }
    ASSERT_EQ(game.runBuilt("make_assets", "."), 0);
    ASSERT_EQ(game.run("./qPre"), 0) << game.err;
    std::string script;
    for (int page = 1; page <= 7; ++page) script += std::to_string(page * 3000) + " key space\n";
    game.write("input.txt", script);
    fs::create_directory(game / "pages");
    ASSERT_EQ(game.run("./qRun --headless --input input.txt --capture pages --until 30000"), 0) << game.err;
    ASSERT_TRUE(makeSite()) << game.err;

    std::string steps = "open\n";
    auto waitFor = [](int wait) {
        return std::string("until ") + kWaits + "==" + std::to_string(wait) + "&&" + kState + "==2\n";
    };
    // Keys as a player presses them; the second wait is passed by a tap.
    const char* passes[] = {"key space", "tap 320 200", "key enter", "key space", "key enter", "key space", "key z"};
    for (int wait = 1; wait <= 7; ++wait) {
        steps += waitFor(wait) + "canvas page" + std::to_string(wait) + "\n";
        if (wait <= 2) steps += "eval audio" + std::to_string(wait) + " " + kAudio + "\n";
        steps += std::string(passes[wait - 1]) + "\n";
    }
    // Past the last wait the scenario ends: the page offers another go.
    steps += "until Module.qtEnded==1\neval ended !document.getElementById('qt-ended').hidden\n";
    steps += "eval again document.getElementById('qt-again').click()\n" + waitFor(1);
    steps += "key f12\nuntil Module.qtWindows==3\n" + waitFor(1) + "key escape\nuntil Module.qtEnded==2\n";
    steps += "eval windows Module.qtWindows\n";
    ASSERT_TRUE(drive(steps)) << game.err;

    for (int wait = 1; wait <= 7; ++wait) {
        char name[32];
        std::snprintf(name, sizeof name, "pages/wait-%04d.png", wait);
        platform::Surface desktop;
        ASSERT_TRUE(platform::loadImage(game / name, desktop)) << name;
        const Difference d = compare(game.read("out/page" + std::to_string(wait) + ".rgba"), desktop);
        EXPECT_EQ(d.outside, 0) << name;
        // The same glyphs, but for a few edge pixels: FreeType built for
        // 32-bit WebAssembly rounds a few outlines apart from the desktop's.
        EXPECT_LT(d.inside * 200, d.cells) << name << ": " << d.inside << " of " << d.cells;
    }
    // Music is playing from the start; the page may sound once a key came.
    EXPECT_EQ(result("audio1"), "[\"suspended\",1]");
    EXPECT_EQ(result("audio2"), "[\"running\",1]");
    EXPECT_EQ(result("ended"), "true");
    EXPECT_EQ(result("windows"), "3");
    EXPECT_EQ(consoleLines(), std::vector<std::string>{});
}

// Reports read as on the desktop: in a box on the page and on the console
// in the words the desktop writes to standard error; the page then still
// shows the game, not a blank page.
TEST_F(WebPage, ReportsAsOnTheDesktop) {
    // clang-format off
    const struct { const char* name; std::string source, dat; } cases[] = {
        {"missing image", "\x8E\x6E\x82\xDF\r\n/e nothere.bmp, 0, 0\r\n\x82\xA8\x82\xED\x82\xE8\r\n", ""},
        {"not preprocessed", "", std::string("\x00\xFF\x81garbage\r\n/@\r\n", 14)},
        {"broken FLAC", "", "\x82\xA9\r\n/bgm,fewer-channels.flac,;\r\n/@,;\r\n"},
    };
    // clang-format on
    fs::copy_file(std::string(QT_SOURCE_DIR) + "/fuzz/seeds/sound/fewer-channels.flac", game / "fewer-channels.flac");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        game.ini("[main]\r\nFirstScenario=start.dat\r\n");
        if (c.source.empty()) {
            game.write("start.dat", c.dat);
        } else {
            game.write("start.txt", c.source);
            ASSERT_EQ(game.run("./qPre start.txt"), 0) << game.err;
        }
        game.write("input.txt", "3000 key esc\n");
        ASSERT_EQ(game.run("./qRun --headless --input input.txt --until 5000"), 0);
        const std::string desktop = game.err;
        fs::remove_all(game / "site");
        ASSERT_TRUE(makeSite()) << game.err;
        ASSERT_TRUE(
            drive("open\nuntil !document.getElementById('qt-box').hidden\n"
                  "text box document.getElementById('qt-box').getAttribute('aria-label')\n"
                  "key enter\nsleep 300\nkey enter\nsleep 300\nkey enter\nsleep 300\n"
                  "eval after [document.getElementById('qt-box').hidden,Module.qtWindows,Module.qtPresented>0,"
                  "!document.getElementById('canvas').hidden]\n"))
            << game.err;
        // The first report, as the desktop wrote it.
        const std::string box = game.read("out/box.txt");
        ASSERT_FALSE(box.empty());
        EXPECT_EQ(desktop.substr(0, box.size() + 1), box + "\n");
        EXPECT_EQ(game.read("out/console.txt").substr(0, box.size() + 1), box + "\n");
        EXPECT_EQ(result("after"), "[true,1,true,true]");
        // Every character of the box is in the fonts of the page.
        EXPECT_EQ(
            game.run("/usr/bin/python3 " + std::string(QT_SOURCE_DIR) + "/tests/web/font_cover.py site out/box.txt"), 0)
            << game.out;
    }
}

// Silent MPEG-1 Layer III frames (128 kbit/s, 44.1 kHz, mono): every
// decoder takes them, and no encoder is needed.
std::string silentMp3(int frames) {
    std::string frame = std::string("\xFF\xFB\x90\xC4", 4) + std::string(413, '\0');
    std::string out;
    for (int n = 0; n < frames; ++n) out += frame;
    return out;
}

// Music of every kind the desktop plays starts in the page as well: MIDI
// with the TiMidity patches packed for it, else silent (said once on the
// console) while the game goes on.
TEST_F(WebPage, MusicOfEveryKindPlays) {
    const std::string seeds = std::string(QT_SOURCE_DIR) + "/fuzz/seeds/sound/";
    for (const char* name : {"short.ogg", "two_frames.flac", "notes.mid", "short.wav"})
        fs::copy_file(seeds + name, game / name);
    game.write("silence.mp3", silentMp3(100));
    const char* kinds[] = {"short.ogg", "two_frames.flac", "silence.mp3", "notes.mid", "short.wav"};
    std::string scenario = "\x82\xA9\r\n", steps = "open\n", script;
    for (int n = 1; n <= 5; ++n) {
        scenario += std::string("/bgm,") + kinds[n - 1] + ",;\r\n/@,;\r\n";
        steps += std::string("until ") + kWaits + "==" + std::to_string(n) + "&&" + kState + "==2\n";
        steps += "eval music" + std::to_string(n) + " Module._qt_music_playing()\nkey space\n";
        script += std::to_string(n * 1000) + " key space\n";
    }
    // A wider window: the picture fills its height, dark grey on both sides.
    steps +=
        "viewport 1000 600\nsleep 200\neval fit [getComputedStyle(canvas).width,getComputedStyle(canvas).height,"
        "getComputedStyle(document.body).backgroundColor]\n";
    game.ini("[main]\r\nFirstScenario=start.dat\r\n");
    game.write("start.dat", scenario);
    game.write("input.txt", script);
    ASSERT_EQ(game.run("./qRun --headless --input input.txt --until 8000"), 0);
    EXPECT_EQ(game.err, "");

    const std::string silent = platform::msg::midiNotPlayed.utf8();
    // clang-format off
    const struct { const char* patches; const char* midi; std::vector<std::string> console; } cases[] = {
        {"/etc/timidity/freepats.cfg", "1", {}},
        {"/nonexistent/timidity.cfg", "0", {silent}},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.patches);
        ASSERT_EQ(game.run("QT_TIMIDITY_CFG=" + std::string(c.patches) + " " + QT_SOURCE_DIR + "/scripts/web . site"),
                  0)
            << game.err;
        ASSERT_TRUE(drive(steps)) << game.err;
        const char* playing[] = {"1", "1", "1", c.midi, "1"};
        for (int n = 1; n <= 5; ++n) EXPECT_EQ(result("music" + std::to_string(n)), playing[n - 1]) << kinds[n - 1];
        EXPECT_EQ(consoleLines(), c.console);
        EXPECT_EQ(result("fit"), "[\"800px\",\"600px\",\"rgb(64, 64, 64)\"]");
        // Written into the game's folder again, the page does not pack itself.
        EXPECT_EQ(game.read("site/game.js").find("/game/site/"), std::string::npos);
    }
}

// The authors' guides publish a game with the command they show, and the
// page folder holds what they say it holds.
TEST_F(WebPage, GuidesPublishAsTheyShow) {
    for (const char* guide : {"docs/authoring.md", "docs/authoring.ja.md"}) {
        SCOPED_TRACE(guide);
        const std::string text = readFile(std::string(QT_SOURCE_DIR) + "/" + guide);
        const size_t at = text.find("```sh\n./scripts/web ");
        ASSERT_NE(at, std::string::npos);
        const std::string command = text.substr(at + 8, text.find('\n', at + 6) - at - 8);
        ASSERT_EQ(command, "scripts/web mygame mygame-web");
        fs::remove_all(game / "mygame-web");
        game.write("mygame/qRun.ini", "[main]\r\nFirstScenario=start.dat\r\n");
        game.write("mygame/start.dat", "\x82\xA9\r\n/@\r\n");
        fs::copy_file(game / "qRun", game / "mygame/qRun", fs::copy_options::overwrite_existing);
        ASSERT_EQ(game.run(std::string(QT_SOURCE_DIR) + "/" + command + " >/dev/null"), 0) << game.err;
        std::vector<std::string> files;
        for (const auto& entry : fs::directory_iterator(game / "mygame-web")) files.push_back(entry.path().filename());
        std::sort(files.begin(), files.end());
        EXPECT_EQ(files, (std::vector<std::string>{"game.data", "game.js", "index.html", "qRun.js", "qRun.wasm"}));
        // The game's files without the program, and the fonts it needs.
        const std::string data = game.read("mygame-web/game.js");
        for (const char* packed : {"/game/qRun.ini", "/game/start.dat", "/game/fonts/"})
            EXPECT_NE(data.find(packed), std::string::npos) << packed;
        EXPECT_EQ(data.find("/game/qRun\""), std::string::npos);
    }
}

}  // namespace
}  // namespace qt::web
