// qPre --check, built, in a game folder of its own with the demo's pictures
// and sounds: one planted problem per game and its exact report line; the
// demo checks clean; and a game the headless engine plays (every wait
// pressed) gets one line from --check for each problem the engine reports.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "common/cp932.h"
#include "support/program.h"

namespace qt::pre::test {
namespace {

namespace fs = std::filesystem;

// As authors on Windows write: Shift-JIS with CR LF line ends.
std::string authored(const std::string& utf8) {
    std::string crlf;
    for (const char c : utf8) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return utf8ToCp932(crlf);
}

std::string summary(int sources, int errors, int warnings) {
    return "検査したソース " + std::to_string(sources) + " 件: エラー " + std::to_string(errors) + " 件、警告 " +
           std::to_string(warnings) + " 件\r\n";
}

const char kRunIni[] = "[screen]\nhUserMDC_num=3\n[main]\nFirstScenario=scene.dat\n";

class Check : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        assets_ = new qt::test::TempFolder;
        qt::test::ProgramFolder maker({});
        ASSERT_EQ(maker.runBuilt("make_assets", assets_->path()), 0);
    }
    static void TearDownTestSuite() { delete assets_; }

    Check() {
        for (const auto& e : fs::directory_iterator(assets_->path()))
            fs::copy_file(e.path(), game_ / e.path().filename());
        game_.ini(authored("[main]\nfinishExit=1\n"));
        game_.ini(authored(kRunIni), "qRun");
        game_.write("filelist.ini", "scene.txt\r\nscene.dat\r\n");
    }

    static qt::test::TempFolder* assets_;
    qt::test::ProgramFolder game_{{"qPre", "qRun"}};
};

qt::test::TempFolder* Check::assets_;

struct Planted {
    const char* name;
    std::string source;  // CP932 bytes of scene.txt
    std::string report;  // the problem's line, without "scene.txt:"
    bool warning = false;
};

// clang-format off
const Planted kPlanted[] = {
    {"UnknownWord", authored("/ee cat.bmp\n"), "1: 存在しない命令があります /ee"},
    {"AfterBlockComment", authored("/* one\ntwo */ /ee\n"), "2: 存在しない命令があります /ee"},
    {"SecondOnItsLine", authored("一\n\n/E cat.bmp; /iro 1, 2\n"), "3: 引数の個数が異常です\t/iro"},
    {"ImageCount", authored("/e cat.bmp, 1\n"), "1: /eの引数の個数が異常です"},
    {"ImageMissing", authored("/curid 1\n/e nope.bmp, 0, 0\n"),
     "2: 画像の読み込みに失敗しました。 ファイルパスを間違えていないか確認してください > nope.bmp"},
    {"ImageNotBmp", authored("/e filelist.ini\n"),
     "1: 画像の読み込みに失敗しました。 ファイルパスを間違えていないか確認してください > filelist.ini"},
    {"ScreenBeyondTable", authored("/curid 3\n/curid -2\n/curid 4\n"), "3: ID指定が異常です /curID"},
    {"SoundControl", authored("/bgm music.wav\n/bgm :pause\n"), "2: コマンドが異常です。[音関連命令"},
    {"SoundMissing", authored("/se :stop\n/se nosound.wav\n"), "2: ファイルが開けません [音関連命令 > nosound.wav"},
    {"ColourCount", authored("/iro &H000000, 1\n"), "1: 引数の個数が異常です\t/iro"},
    {"NextMissing", authored("/next chapter9.dat\n"), "1: 指定のファイルパスは無効です\t/next"},
    {"NextToSource", authored("/next scene.txt\n"), "1: プリプロセッサ済みシナリオファイルでは無いようです"},
    {"SemicolonLost", authored("/e cat.bmp,0,0,1,1,-1,0,0,1,1,2\n"), "1: 命令引数が多すぎます。あるいは ; を忘れています"},
    {"QuoteOpen", authored("/bgm \"music.wav\n"), "1: 命令引数] ダブルクォーテーションの終端が見つかりません"},
    {"UnknownDirective", authored("#PageWid 3\n"), "1: 存在しないプリプロセッサ命令が記述されています >pagewid"},
    {"CommaInText", authored("はい,いいえ\n"), "1: 本文の半角カンマ(,)で行が分かれます", true},
    {"QuoteInText", authored("彼は\"はい\"と言った\n"), "1: 本文の半角ダブルクォーテーション(\")で以降のカンマが区切りになりません", true},
    {"SlashLine", authored("#pagewidth 8\nabcdefg/allblt\n"), "2: / で始まる表示行は命令として読まれます", true},
    {"LoneLineFeed", authored("一\n二") + "\n" + authored("三\n"), "2: LF だけの改行は行の終わりになりません（CR LF と混在）", true},
    {"PageBelowWindow", authored("#pageheight 20\n一\n二\n三\n四\n五\n六\n七\n八\n九\n十\n十一\n十二\n十三\n"),
     "13: ページの最後の行がウィンドウの下にはみ出します（qPre.ini の pageHeight、qRun.ini の basePos・fontSizeStyle・wincsizeHeight）", true},
    {"OtherEncoding", authored("abc\n") + "\xFD\xFE\r\n", "2: Shift-JIS（CP932）として読めないバイトがあります（ほかの文字コードで保存されていませんか）", true},
    {"LoneCarriageReturn", authored("abc\n") + "d\re\rf\r\n", "2: CR だけの改行は行の終わりになりません（CR LF か LF で保存してください）", true},
    {"ZeroByte", authored("abc\n") + std::string("d\0e\r\n", 5), "2: NUL バイト（0x00）で本文が終わっています。ここから後は変換していません", true},
    {"NoCp932Form", "abc\n\xF0\x9F\x98\x80\n", "2: Shift-JIS（CP932）にない文字です: U+1F600"},
};
// clang-format on

class PlantedProblem : public Check, public ::testing::WithParamInterface<Planted> {};

TEST_P(PlantedProblem, OneExactLine) {
    const Planted& p = GetParam();
    game_.write("scene.txt", p.source);
    EXPECT_EQ(game_.run("./qPre --check"), 1);
    EXPECT_EQ(game_.out, "scene.txt:" + p.report + "\r\n" + summary(1, p.warning ? 0 : 1, p.warning ? 1 : 0));
    EXPECT_EQ(game_.err, "");
    EXPECT_FALSE(fs::exists(game_ / "scene.dat"));  // nothing written
}

INSTANTIATE_TEST_SUITE_P(Games, PlantedProblem, ::testing::ValuesIn(kPlanted),
                         [](const auto& info) { return std::string(info.param.name); });

// Games the engine plays without a word: nothing to report either.
TEST_F(Check, NoFalseAlarms) {
    // clang-format off
    const char* const kClean[] = {
        "#pageheight 12\n一\n二\n三\n四\n五\n六\n七\n八\n九\n十\n十一\n十二\n十三\n",  // the last line just fits
        "/E CAT.BMP\n/Curid 3\n/curid &H3\n/curid 3.9\n/curid -2\n/curid\n",
        "/e cat.bmp,1,2,3,4,5,6,7,8,9\n/e cat.bmp, 0, 0, 50%, f\n/e .\\CAT.bmp, 0, 0\n",
        "/bgm :play\n/se :stop\n/bgm music.wav, 1\n/se bell.wav, 0\n",
        "はい、いいえ。「ええ」\n/allblt\n/allbltdirect\n/@\n/\\\n",
        "/next scene.dat\n/ee\n",  // a file the list makes, and what the engine never reaches after it
        "/end\n/ee\n/e\n",
    };
    // clang-format on
    for (const char* source : kClean) {
        game_.write("scene.txt", authored(source));
        EXPECT_EQ(game_.run("./qPre --check"), 0) << source;
        EXPECT_EQ(game_.out, summary(1, 0, 0)) << source;
    }
}

// What only the whole game shows: the file list, the first scenario, next
// targets that the list produces, files sorted by name whatever the list's
// order; and what the engine never reaches is not reported.
TEST_F(Check, WholeGame) {
    game_.write("b.txt", authored("/e cat.bmp, 1\n/next scene.dat\n"));
    game_.write("scene.txt", authored("/next b.dat\n/ee\n"));
    game_.write("a.txt", authored("一\n/end\n/ee\n"));
    game_.write("old.dat", "\x82\xA9\r\n");
    game_.write("c.txt", authored("/next old.dat\n"));
    game_.write("filelist.ini",
                "b.txt\r\nb.dat\r\n\r\n; a note\r\nscene.txt\r\nscene.dat\r\n\r\nmissing.txt\r\n"
                "m.dat\r\na.txt\r\nb.dat\r\nc.txt\r\nc.dat\r\n./b.txt\r\nd.dat\r\n");
    game_.ini(authored("[main]\n; start\nFirstScenario=start.dat\n"), "qRun");
    EXPECT_EQ(game_.run("./qPre --check"), 1);
    EXPECT_EQ(game_.out,
              "./b.txt:1: /eの引数の個数が異常です\r\n"
              "b.txt:1: /eの引数の個数が異常です\r\n"
              "c.txt:1: ファイルリストのどの組からも作られないファイルです（古いまま再生されます）\t/next\r\n"
              "filelist.ini:8: missing.txt: 見つかりません\r\n"
              "filelist.ini:11: 同じ出力ファイルにもう一度書き込みます（ファイルリストの 2 行目と同じ）\r\n"
              "filelist.ini:14: 同じソースをもう一度変換します（ファイルリストの 1 行目と同じ）\r\n"
              "qRun.ini:3: 「最初に読み込むシナリオファイル」が存在しません start.dat\r\n" +
                  summary(6, 6, 1));
    EXPECT_FALSE(fs::exists(game_ / "b.dat"));
}

TEST_F(Check, NamedFilesAndFolders) {
    fs::create_directory(game_ / "part");
    game_.write("part/x.txt", authored("/e cat.bmp\n/next part/y.dat\n"));
    game_.write("part/y.txt", authored("/bgm :play\n/e ../cat.bmp, 1\n"));
    game_.write("z.txt", authored("/se bell.wav\n"));
    EXPECT_EQ(game_.run("cd part && ../qPre --check . ../z.txt"), 1);
    EXPECT_EQ(game_.out, game_.path() + "/part/y.txt:2: /eの引数の個数が異常です\r\n" + summary(3, 1, 0));
    EXPECT_EQ(game_.run("./qPre --check z.txt"), 0);
    EXPECT_EQ(game_.out, summary(1, 0, 0));
}

TEST_F(Check, DemoIsClean) {
    for (const auto& e : fs::directory_iterator(QT_DEMO_DIR)) {
        if (e.path().extension() == ".txt" || e.path().extension() == ".ini") {
            fs::copy_file(e.path(), game_ / e.path().filename(), fs::copy_options::overwrite_existing);
        }
    }
    EXPECT_EQ(game_.run("./qPre --check"), 0);
    EXPECT_EQ(game_.out, summary(2, 0, 0));
    EXPECT_EQ(game_.err, "");
}

// The engine's reports: "エラー　FILE　LINE:n: text", the text over several lines.
std::multiset<std::string> engineProblems(const std::string& err) {
    std::multiset<std::string> found;
    std::istringstream in(err);
    std::string line, current;
    const std::string caption = "エラー　scene.dat　LINE:";
    const auto flush = [&] {
        // The second box of a failed image names no new problem.
        if (!current.empty() && current.find(": 読込失敗 /e") == std::string::npos) found.insert(current);
        current.clear();
    };
    while (std::getline(in, line)) {
        if (line.starts_with(caption)) {
            flush();
            // Source line n is the scenario's line n + 1, after the header.
            const size_t colon = line.find(':', caption.size());
            current = "scene.txt:" + std::to_string(std::stoi(line.substr(caption.size())) - 1) + line.substr(colon);
        } else if (!current.empty()) {
            current += " " + line;
        }
    }
    flush();
    return found;
}

TEST_F(Check, AsManyLinesAsTheEngineReports) {
    game_.write("scene.txt", authored("/curid 1\n/e day.bmp, 0, 0, f, f, -2\n/e sky.bmp\n/curid 9\n/ee 1\n"
                                      "/iro &HFF00FF, 2\n/bgm music.wav\n/se :again\n/se none.wav\n/e cat.bmp, 1\n"
                                      "/allblt\n/next nowhere.dat\n/e cat.bmp,1,2,3,4,5,6,7,8,9,10\n/@\n/end\n"));
    std::string keys;
    for (int ms = 500; ms < 20000; ms += 500) keys += std::to_string(ms) + " key z\n";
    game_.write("keys.txt", keys);
    ASSERT_EQ(game_.run("./qPre"), 0);
    EXPECT_EQ(game_.run("./qRun --headless --input keys.txt --until 20000"), 0);
    const std::multiset<std::string> engine = engineProblems(game_.err);
    EXPECT_EQ(engine.size(), 9u);

    EXPECT_EQ(game_.run("./qPre --check"), 1);
    std::multiset<std::string> checked;
    std::istringstream out(game_.out);
    for (std::string line; std::getline(out, line);) {
        if (line.starts_with("scene.txt:")) checked.insert(line.substr(0, line.size() - 1));  // less its CR
    }
    EXPECT_EQ(checked, engine);
    EXPECT_TRUE(game_.out.ends_with(summary(1, 9, 0)));
}

}  // namespace
}  // namespace qt::pre::test
