// Games packaged for players (scripts/package with the player qRun): what the
// folder and archive hold, the checks that refuse a broken game, and the
// packaged demo in a bare Debian 12 root, headless, in a window and with the
// toolkit's .deb installed from the archive.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/platform/pixels/image.h"
#include "support/bare_root.h"
#include "support/program.h"
#include "support/x_session.h"

namespace qt::e2e {
namespace {

namespace fs = std::filesystem;
using namespace qt::test;

const std::string kSource = QT_SOURCE_DIR;
const std::string kPlayer = kSource + "/build/player/bin/qRun";
const char kPackage[] = "QT_PACKAGE_SKIP_BUILD=1 " QT_SOURCE_DIR "/scripts/package";

// Every wait of the demo, Space every four seconds.
std::string demoInput() {
    std::string script;
    for (int ms = 4000; ms <= 80000; ms += 4000) script += std::to_string(ms) + " key space\n";
    return script;
}
const char kPlay[] = "./qRun --headless --input in.txt --capture pages --until 90000";

std::set<std::string> filesUnder(const std::string& dir) {
    std::set<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        if (e.is_regular_file()) names.insert(fs::relative(e.path(), dir).string());
    return names;
}

// The demo laid out as scripts/demo does, converted, played by the
// development build; with what an author's folder gathers besides.
struct AuthorsDemo : ProgramFolder {
    AuthorsDemo() : ProgramFolder({"qRun", "qPre"}, "demo") {
        copyDemo(QT_DEMO_DIR);
        run("cd demo && ./qPre");
        write("demo/in.txt", demoInput());
        fs::create_directories(game() + "/pages");
        run(std::string("cd demo && ") + kPlay);
        write("demo/.notes", "hidden");
        write("demo/art/source.psd", "the author's working file");
    }
    std::string game() const { return programDir(); }
};

class Package : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!fs::exists(kPlayer)) return;
        demo = new AuthorsDemo;
        packaged = demo->run(std::string(kPackage) + " --exclude pages --exclude 'art/*.psd' demo out");
        log = demo->out + demo->err;
    }
    static void TearDownTestSuite() {
        delete demo;
        demo = nullptr;
    }
    void SetUp() override {
        if (!fs::exists(kPlayer)) GTEST_SKIP() << "no player qRun (./scripts/setup --player builds it)";
        ASSERT_EQ(packaged, 0) << log;
    }
    // The packaged demo's captures equal the development build's.
    static void expectSameCaptures(const std::string& pages) {
        const std::set<std::string> names = filesUnder(demo->game() + "/pages");
        EXPECT_EQ(names.size(), 8u);
        EXPECT_EQ(filesUnder(pages), names);
        for (const std::string& n : names)
            EXPECT_TRUE(readFile(pages + "/" + n) == readFile(demo->game() + "/pages/" + n)) << n;
    }

    static inline AuthorsDemo* demo = nullptr;
    static inline int packaged = -1;
    static inline std::string log;
};

TEST_F(Package, DemoShipsWhatPlayersNeedAndPlaysAsTheDevelopmentBuild) {
    const std::string out = demo->file("out");
    // clang-format off
    const std::set<std::string> shipped = {
        "README.txt", "bell.wav", "cat.bmp", "chapter1.dat", "chapter2.dat", "day.bmp", "demo.desktop", "evening.bmp",
        "fonts/LICENSE-fonts-ipafont-gothic.txt", "fonts/README-fonts.txt", "fonts/qrungothic.ttf",
        "fonts/qrunpgothic.ttf", "music.wav", "qRun", "qRun.ini"};
    // clang-format on
    EXPECT_EQ(filesUnder(out + "/demo"), shipped);
    ASSERT_EQ(demo->run("tar tzf out/demo-linux-x86_64.tar.gz | grep -v '/$' | sort"), 0);
    std::string listed;
    for (const std::string& f : shipped) listed += "demo/" + f + "\n";
    EXPECT_EQ(demo->out, listed);
    EXPECT_LT(fs::file_size(out + "/demo-linux-x86_64.tar.gz"), 6u << 20);

    // Only the C library's parts are loaded from the machine.
    ASSERT_EQ(demo->run("objdump -p out/demo/qRun | awk '/NEEDED/ { print $2 }' | sort"), 0);
    EXPECT_EQ(demo->out, "ld-linux-x86-64.so.2\nlibc.so.6\nlibm.so.6\n");
    const std::string desktop = readFile(out + "/demo/demo.desktop");
    EXPECT_NE(desktop.find("\nName=qRun デモ「猫と草原」\n"), std::string::npos) << desktop;
    EXPECT_NE(desktop.find("\nExec=sh -c 'cd \"$(dirname \"$1\")\" && exec ./qRun' sh %k\n"), std::string::npos);
    const std::string readme = readFile(out + "/demo/README.txt");
    for (const char* said : {"./qRun", "Esc ", "F12 ", "Alt+Enter", "2.36"})
        EXPECT_NE(readme.find(said), std::string::npos) << said;
    // The subsets carry no IPA name, as the IPA licence asks of changed fonts.
    ASSERT_EQ(demo->run("fc-scan --format '%{family}\\n' out/demo/fonts/*.ttf"), 0);
    EXPECT_EQ(demo->out, "qRun Gothic\nqRun PGothic\n");

    // A second run replaces the first, the author's folder untouched.
    const std::set<std::string> authors = filesUnder(demo->game());
    fs::create_directories(out + "/demo/pages");
    demo->write("out/demo/in.txt", demoInput());
    ASSERT_EQ(demo->run(std::string("cd out/demo && ") + kPlay), 0) << demo->err;
    EXPECT_EQ(demo->err, "");
    expectSameCaptures(out + "/demo/pages");
    ASSERT_EQ(demo->run(std::string(kPackage) + " --exclude pages --exclude 'art/*.psd' demo out"), 0) << demo->err;
    EXPECT_EQ(filesUnder(out + "/demo"), shipped);
    EXPECT_EQ(filesUnder(demo->game()), authors);
}

// qPre's checks decide when the game's qPre has them; refused, nothing is written.
TEST_F(Package, QPreChecksRefuseABrokenGameUnlessOverridden) {
    // clang-format off
    const struct { const char* help; int checkExit; const char* options; int exit; const char* said; } cases[] = {
        {"--check  whole game", 1, "",            1, "qPre --check found errors"},
        {"--check  whole game", 1, "--no-check ", 0, "package: "},
        {"--check  whole game", 0, "",            0, "checking the game (qPre --check)"},
        {"usage: qPre [files]", 1, "",            0, "this qPre has no --check"},
    };
    // clang-format on
    for (const auto& c : cases) {
        ProgramFolder folder({}, "game");
        folder.write("game/qRun.ini", "[main]\r\nFirstScenario=a.dat\r\n");
        folder.write("game/a.dat", readFile(demo->game() + "/chapter2.dat"));
        folder.write("game/qPre", std::string("#!/bin/sh\n[ \"$1\" = --help ] && echo '") + c.help +
                                      "' && exit 0\n[ \"$1\" = --check ] && echo 'a.txt LINE:3: bad' && exit " +
                                      std::to_string(c.checkExit) + "\nexit 9\n");
        fs::permissions(folder / "game/qPre", fs::perms::owner_all);
        EXPECT_EQ(folder.run(std::string(kPackage) + " " + c.options + "game out"), c.exit) << c.help << folder.err;
        EXPECT_NE((folder.out + folder.err).find(c.said), std::string::npos) << c.said << "\n"
                                                                             << folder.out << folder.err;
        EXPECT_EQ(fs::exists(folder / "out/game-linux-x86_64.tar.gz"), c.exit == 0);
        if (c.exit == 0) {
            EXPECT_FALSE(fs::exists(folder / "out/game/qPre"));
        }
    }
}

// A game whose scenario plays MIDI takes the patches of the programs and
// drums its MIDI files use, and the player plays it; one without MIDI takes none.
TEST_F(Package, MidiTakesOnlyThePatchesItPlays) {
    if (!fs::exists("/etc/timidity/freepats.cfg")) GTEST_SKIP() << "no freepats (./scripts/setup --player installs it)";
    // Church organ (program 19) on channel 1, the second kick drum (36) on channel 10.
    const std::string track(
        "\x00\xC0\x13\x00\x90\x3C\x40\x60\x80\x3C\x00\x00\x99\x24\x40\x60\x89\x24\x00\x00\xFF\x2F\x00", 23);
    const std::string midi = std::string("MThd\0\0\0\x06\0\0\0\x01\0\x60MTrk\0\0\0", 21) + char(track.size()) + track;
    for (bool plays : {true, false}) {
        ProgramFolder folder({"qPre"}, "song");
        folder.write("song/qRun.ini", "[main]\r\nFirstScenario=a.dat\r\n");
        folder.write("song/a.txt", std::string(plays ? "/bgm tune.MID\r\n" : "") + "/@\r\n");
        folder.write("song/filelist.ini", "a.txt\r\na.dat\r\n");
        folder.write("song/tune.mid", midi);
        ASSERT_EQ(folder.run("cd song && ./qPre"), 0) << folder.out << folder.err;
        ASSERT_EQ(folder.run(std::string(kPackage) + " song out"), 0) << folder.err;
        EXPECT_EQ(fs::exists(folder / "out/song/timidity"), plays);
        if (!plays) continue;
        EXPECT_EQ(folder.read("out/song/timidity/timidity.cfg"),
                  "# The patches this game's MIDI files play.\n\nbank 0\n 19\tTone_000/019_Church_Organ.pat\n\n"
                  "drumset 0\n 36\tDrum_000/036_Kick_2.pat amp=100\n");
        EXPECT_EQ(filesUnder(folder / "out/song/timidity"),
                  (std::set<std::string>{"Drum_000/036_Kick_2.pat", "LICENSE-freepats.txt",
                                         "Tone_000/019_Church_Organ.pat", "timidity.cfg"}));
        folder.write("out/song/in.txt", "1000 key esc\n");
        EXPECT_EQ(folder.run("cd out/song && ./qRun --headless --input in.txt --trace trace.txt"), 0);
        EXPECT_EQ(folder.err, "");  // a sound that fails to open says so in a box, here
        EXPECT_NE(folder.read("out/song/trace.txt").find("/bgm"), std::string::npos);
    }
}

// The toolkit's .deb: what it holds and declares, and lintian finds no error.
TEST_F(Package, DebHoldsTheToolkitAndIsLintianClean) {
    const std::string deb = std::string(QT_BIN_DIR_PARENT) + "/qpre-qrun_" QT_VERSION "_amd64.deb";
    if (!fs::exists(deb)) GTEST_SKIP() << "no " << deb << " (cpack in the release build makes it)";
    ASSERT_EQ(demo->run("dpkg-deb -c '" + deb + "' | awk '{ print $6 }' | grep -v '/$'"), 0);
    EXPECT_EQ(demo->out,
              "./usr/bin/qPre\n./usr/bin/qRun\n./usr/share/doc/qpre-qrun/README.md\n"
              "./usr/share/doc/qpre-qrun/authoring.ja.md\n./usr/share/doc/qpre-qrun/authoring.md\n"
              "./usr/share/doc/qpre-qrun/changelog.gz\n./usr/share/doc/qpre-qrun/copyright\n"
              "./usr/share/man/man1/qPre.1.gz\n./usr/share/man/man1/qRun.1.gz\n");
    ASSERT_EQ(demo->run("dpkg-deb -f '" + deb + "' Depends"), 0);
    for (const char* dep :
         {"fonts-ipafont-gothic", "libsdl2-2.0-0", "libsdl2-mixer-2.0-0", "libfreetype6", "libfontconfig1"})
        EXPECT_NE(demo->out.find(dep), std::string::npos) << dep;
    if (demo->run("command -v lintian") != 0) GTEST_SKIP() << "lintian is not installed";
    demo->run("lintian '" + deb + "' 2>/dev/null | grep '^E:'");
    EXPECT_EQ(demo->out, "");
}

// The archive unpacked into a bare Debian 12 root, as a player's machine
// with nothing installed.
class BareRootPackage : public Package {
protected:
    void SetUp() override {
        Package::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        if (const std::string why = BareRoot::missing(); !why.empty()) GTEST_SKIP() << why;
        root = std::make_unique<BareRoot>();
        ASSERT_TRUE(root->ready());
        ASSERT_EQ(
            ::system(("tar -C '" + root->path() + "/opt' -xzf '" + demo->file("out/demo-linux-x86_64.tar.gz") + "'")
                         .c_str()),
            0);
        writeFile(root->path() + "/opt/demo/in.txt", demoInput());
        fs::create_directories(root->path() + "/opt/demo/pages");
    }
    std::unique_ptr<BareRoot> root;
};

// Headless play gives the development build's captures, and no file outside
// the game folder is opened but the C library's own (its CP932 converter
// among them).
TEST_F(BareRootPackage, PlaysHeadlessReadingOnlyItsFolder) {
    fs::create_directories(root->path() + "/empty-home");
    const std::string trace = demo->file("opens.txt");
    ASSERT_EQ(root->run(std::string("cd /opt/demo && exec ") + kPlay, {"HOME=/empty-home"}, 60,
                        "strace -f -qq -e trace=open,openat,execve -e signal=none -o '" + trace + "'"),
              0)
        << root->err;
    EXPECT_EQ(root->err, "");
    expectSameCaptures(root->path() + "/opt/demo/pages");
    // Files opened once qRun runs (chroot's and env's own before it are not).
    const std::string log = readFile(trace);
    std::set<std::string> outside;
    bool started = false;
    for (size_t at = 0, end; (end = log.find('\n', at)) != std::string::npos; at = end + 1) {
        const std::string line = log.substr(at, end - at);
        if (line.find("execve(\"./qRun\"") != std::string::npos) started = true;
        if (!started || line.find(" = -1 ") != std::string::npos || line.find("open") == std::string::npos) continue;
        const size_t q = line.find('"');
        const std::string path = line.substr(q + 1, line.find('"', q + 1) - q - 1);
        if (path[0] == '/' && path.rfind("/opt/demo/", 0) != 0) outside.insert(path);
    }
    const std::set<std::string> loader = {"/etc/ld.so.cache", "/lib/x86_64-linux-gnu/libc.so.6",
                                          "/lib/x86_64-linux-gnu/libm.so.6"};
    for (const std::string& path : outside)
        EXPECT_TRUE(loader.count(path) || path.rfind("/usr/lib/x86_64-linux-gnu/gconv/", 0) == 0 ||
                    path.rfind("/sys/devices/system/cpu/", 0) == 0 || path.rfind("/proc/self/", 0) == 0)
            << path;
}

// With only libx11-6 and libxext6 added the window opens and shows the first
// page; without them the report names what is missing.
TEST_F(BareRootPackage, OpensItsWindowWithTheXLibrariesAndSaysWhatIsMissing) {
    if (const std::string tool = XSession::missingTool(); !tool.empty()) GTEST_SKIP() << tool << " is not installed";
    XSession x;
    ASSERT_TRUE(x.ready());
    ASSERT_TRUE(root->bind("/tmp/.X11-unix", "/tmp/.X11-unix"));
    const std::string display = "DISPLAY=" + x.display();
    EXPECT_EQ(root->run("cd /opt/demo && exec ./qRun", {display}), 1);
    EXPECT_EQ(root->err,
              "qRun: cannot open a window (no display?); run with --headless to play without one; the X window "
              "system's libraries are missing (Debian: libx11-6 libxext6): libX11.so.6, libXext.so.6\n");

    ASSERT_TRUE(root->bind(kSource + "/build/deps/bare-root/x11-debs", "/x11-debs"));
    ASSERT_EQ(root->run("dpkg -i /x11-debs/*.deb"), 0) << root->err;
    ASSERT_EQ(root->run("dpkg-query -W -f=\"\\${Package}\\n\" | grep -c -E \"^libx(11-6|ext6)$\""), 0);
    const pid_t pid = x.start({"chroot", root->path(), "/usr/bin/env", "-i", display, "HOME=/nowhere", "/bin/sh", "-c",
                               "cd /opt/demo && exec ./qRun"},
                              demo->path(), "x-out.txt", "x-err.txt");
    const auto window = x.windowOf(pid);
    ASSERT_TRUE(window) << demo->read("x-err.txt");
    // The first page as captured headless, the flashing prompt aside.
    platform::Surface page;
    ASSERT_TRUE(platform::loadImage(demo->game() + "/pages/wait-0001.png", page));
    platform::Surface shot;
    const bool same = poll([&] {
        if (!x.grab(*window, shot) || shot.width() != page.width() || shot.height() != page.height()) return false;
        for (int y = 0; y < page.height(); ++y)
            for (int px = 0; px < page.width(); ++px)
                if (!(px >= 556 && y >= 452) && shot.pixel(px, y) != page.pixel(px, y)) return false;
        return true;
    });
    EXPECT_TRUE(same);
    x.xdotool("key Escape");
    EXPECT_EQ(x.exitCode(pid), 0) << demo->read("x-err.txt");
}

// The toolkit's .deb installs into the bare root with its dependencies from
// the archive; its qPre converts the demo and its qRun plays it headless.
TEST_F(BareRootPackage, DebInstallsAndItsProgramsConvertAndPlayTheDemo) {
    const std::string deb = std::string(QT_BIN_DIR_PARENT) + "/qpre-qrun_" QT_VERSION "_amd64.deb";
    if (!fs::exists(deb)) GTEST_SKIP() << "no " << deb << " (cpack in the release build makes it)";
    fs::create_directories(kSource + "/build/deps/bare-root/apt-archives/partial");
    ASSERT_TRUE(root->bind(kSource + "/build/deps/bare-root/apt-archives", "/var/cache/apt/archives"));
    ASSERT_TRUE(root->bind(deb, "/tmp/qpre-qrun.deb"));
    fs::copy_file("/etc/resolv.conf", root->path() + "/etc/resolv.conf", fs::copy_options::overwrite_existing);
    ASSERT_EQ(root->run("apt-get install -y -q --no-install-recommends /tmp/qpre-qrun.deb",
                        {"DEBIAN_FRONTEND=noninteractive"}, 600),
              0)
        << root->out << root->err;
    ASSERT_EQ(root->run("qPre --help >/dev/null && qRun --version"), 0) << root->err;
    EXPECT_EQ(root->out, "qRun " QT_VERSION "\n");

    // The demo's sources beside its pictures and sounds, converted by the
    // installed qPre and played by the installed qRun copied in.
    const std::string game = root->path() + "/home/author/demo";
    fs::create_directories(game + "/pages");
    for (const char* f : {"chapter1.txt", "chapter2.txt", "qRun.ini", "qPre.ini", "filelist.ini", "in.txt", "day.bmp",
                          "evening.bmp", "cat.bmp", "music.wav", "bell.wav"})
        fs::copy_file(demo->game() + "/" + f, game + "/" + f);
    ASSERT_EQ(root->run("cd /home/author/demo && cp /usr/bin/qPre . && ./qPre </dev/null"), 0) << root->err;
    for (const char* f : {"chapter1.dat", "chapter2.dat"})
        EXPECT_EQ(readFile(game + "/" + f), readFile(demo->game() + "/" + f)) << f;
    ASSERT_EQ(root->run(std::string("cd /home/author/demo && cp /usr/bin/qRun . && ") + kPlay), 0) << root->err;
    expectSameCaptures(game + "/pages");
}

}  // namespace
}  // namespace qt::e2e
