// Source conversion: commands, comments, the end of the text, the size limit,
// the error reports, and destinations that cannot be written.
#include <sys/wait.h>

#include <filesystem>
#include <functional>
#include <string>
#include <tuple>

#include "test_support.h"

namespace qt::pre::test {
namespace {

// The text ends at the first zero byte.
TEST_F(ConversionTest, CommandsCommentsBlankLinesAndZeroBytes) {
    // clang-format off
    const std::string cases[][2] = {
        {"/BGM Play\r\n", "/bgm,Play,;\r\n"}, {"/e 1, 2 ,3\r\n", "/e,1,2 ,3,;\r\n"},
        {"/e \r\n", "/e,,;\r\n"}, {"/e\r\n", "/e,;\r\n"}, {"/e;\r\n", "/e,;\r\n"},
        {"/e \" a;b \"\r\n", "/e, a;b ,;\r\n"}, {"/e \"a,b\"\r\n", "/e,a,b\",;\r\n"},
        {"/e 1; /e 2\r\n", "/e,1,;\r\n/e,2,;\r\n"}, {"/end;/e 1\r\n", "/end,;\r\n/e,1,;\r\n"},
        {"/\r\n", "/,;\r\n"}, {"/e a\"b, c\r\n", "/e,a\"b,c,;\r\n"}, {"/e a ;\r\n", "/e,a ,;\r\n"},
        {"/e a<b\r\n", "/e,ab,;\r\n"}, {"/e \"a<b\"\r\n", "/e,a<b,;\r\n"},
        {"/e\ta,,b\r\n", "/e,a,,b,;\r\n"}, {"/e \"x\"y z\r\n", "/e,xy z,;\r\n"},
        {"/アB 表示\r\n", "/アb,表示,;\r\n"},  // a double-byte character stays whole
        {"/e 1", "/e,1"}, {"/end", "/end"}, {"// opening scene\r\nabc\r\n", "abc\r\n"},
        {"/* a\r\nb */ /e 1\r\n", "/e,1,;\r\n"}, {"/* only a comment */", ""},
        {"/* open\r\nabc\r\n", ""}, {"/*ア*/x\r\n", "x\r\n"}, {"a // b # c\r\n", "a // b # c\r\n"},
        {"  \t\r\n\r\n", ""}, {"< /e\r\n", "/e,;\r\n"}, {"a<b<\r\n", "ab\r\n"},
        {"\rx\r\n", "x\r\n"}, {"\r/e\r\n", "/e\r\n"}, {"ab\rc\r\n", "abc\r\n"}, {"abc", "abc"},
        {"a,b \"c\"\r\n", "a,b \"c\"\r\n"}, {"　吾輩は猫である。\r\n", "　吾輩は猫である。\r\n"},
        {std::string("ab\0cd\r\n", 7), "ab"}, {std::string("/e 1\0/e 2\r\n", 11), "/e,1"},
        {std::string("/* x\0 */ab\r\n", 12), ""}, {std::string("/e \"a\x82\0b\"\r\n", 11), "/e,a\x82"},
        // A lead byte at the very end does not swallow the end.
        {std::string("a\x82\0zz\r\n", 7), "a\x82"}, {std::string("/e a\x82\0z\r\n", 8), "/e,a\x82"},
    };
    // clang-format on
    for (const auto& c : cases) {
        layout_ = PageLayout{};
        EXPECT_EQ(convert(sj(c[0])), sj(c[1])) << c[0];
    }
}

TEST_F(ConversionTest, UnterminatedQuoteIsReportedWithItsLine) {
    const std::string text = "命令引数]\nダブルクォーテーションの終端が見つかりません\n";
    std::string report;
    EXPECT_EQ(convert("a\r\n/e 1, \"abc\r\nb\r\n", &report), "a\r\n/e,1,abc");
    EXPECT_EQ(report, caption(2) + text);
    EXPECT_EQ(convert("/e \"abc", &report), "/e,abc");
    EXPECT_EQ(report, caption(1) + text);
    // Block comments, blank lines, a line comment, two commands on a line
    // and a directive before the faulty line 10.
    convert(
        "/* a\r\n b */\r\n/* c\r\n d */ /* e\r\n f */\r\n\r\n// g\r\n/e 1; /e 2\r\n"
        "#pagewidth 60\r\n/e \"x\r\n",
        &report);
    EXPECT_EQ(report, caption(10) + text);
}

TEST_F(ConversionTest, SizeLimitAndUnreadableSources) {
    EXPECT_EQ(convert("//" + std::string(1048576 - 2, 'a')), "");  // exactly 1 MiB
    writeFile(dst_, "previous");
    for (const std::string& source : {std::string(1048577, 'a'), std::string()}) {
        writeFile(src_, source);
        EXPECT_EQ(converter_.convertFile(src_.c_str(), dst_.c_str()), -1);
    }
    EXPECT_EQ(converter_.convertFile((dir_ / "none.txt").c_str(), dst_.c_str()), -1);
    EXPECT_EQ(converter_.convertFile(dir_.path().c_str(), dst_.c_str()), -1);
    EXPECT_EQ(readFile(dst_), "previous");
    // A path written on Windows finds the file in any letter case.
    writeFile(dir_ / "Sub/A.txt", "x\r\n");
    EXPECT_EQ(converter_.convertFile((dir_.path() + "\\sub\\a.TXT").c_str(), dst_.c_str()), 0);
    EXPECT_EQ(readFile(dst_), kHeader + "x\r\n");
}

// Shift-JIS or UTF-8, CR LF or LF: the same bytes out.
TEST_F(ConversionTest, SourcesWrittenOnLinux) {
    const std::string game = "// 猫\r\n/BGM a.wav\r\n/* x\r\n*/　吾輩は猫である。〜\r\n\r\n/e \"1, 2\"; /@\r\nabc";
    std::string lf = game;
    std::erase(lf, '\r');
    const std::string bom = "\xEF\xBB\xBF";
    auto fresh = [&](const std::string& source) {
        layout_ = PageLayout{};
        return convert(source);
    };
    const std::string expected = fresh(sj(game));
    for (const std::string& source : {sj(lf), lf, bom + game, bom + lf}) EXPECT_EQ(fresh(source), expected);
    // clang-format off
    const std::string cases[][2] = {
        {"\xC2\xA7\r\n", "\x81\x98\r\n"},                  // ﾂｧ in Shift-JIS is all UTF-8 (§): UTF-8 it is
        {"\xC2\xA7\x82\xA0\r\n", "\xC2\xA7\x82\xA0\r\n"},  // one kana more, and it is Shift-JIS
        {"a\r\nb\nc\r\n", "a\r\nb\nc\r\n"},                // with CR LF about, a LF alone is a byte of its line
        {bom, ""}, {bom + "\r\n", ""}, {"\n", ""},
    };
    // clang-format on
    for (const auto& c : cases) EXPECT_EQ(fresh(c[0]), c[1]);
    std::string report;
    convert("a\n/e \"x\n", &report);
    EXPECT_EQ(report, caption(2) + "命令引数]\nダブルクォーテーションの終端が見つかりません\n");
}

// Nothing is written rather than a wrong byte; the line counts as the
// conversion would count it.
TEST_F(ConversionTest, Utf8ThatHasNoShiftJisForm) {
    // clang-format off
    const struct { std::string source; Failure what; int32_t line; char32_t c; } cases[] = {
        {"ok\n😀\n", Failure::noCp932Form, 2, 0x1F600}, {"a\r\nb\nc\r\nd é", Failure::noCp932Form, 3, 0xE9},
        {"\xEF\xBB\xBF" "a\r\n\xFF", Failure::notUtf8, 2, 0}, {"\xEF\xBB\xBF\x82\xA0", Failure::notUtf8, 1, 0}};
    // clang-format on
    writeFile(dst_, "previous");
    for (const auto& c : cases) {
        writeFile(src_, c.source);
        EXPECT_EQ(converter_.convertFile(src_.c_str(), dst_.c_str()), -1);
        const FailureDetail& f = converter_.failure();
        EXPECT_EQ(std::tuple(f.what, f.line, f.character), std::tuple(c.what, c.line, c.c)) << c.source;
    }
    EXPECT_EQ(readFile(dst_), "previous");
}

// A locked destination and a full disk are run end to end (qpre_e2e_test).
TEST_F(ConversionTest, UnwritableDestinationsLeaveThePreviousFile) {
    const std::string out = dir_ / "out", dst = out + "/scene.dat", open = dir_ / "open";
    auto convertTo = [&](const std::string& d) { return converter_.convertFile(src_.c_str(), d.c_str()); };
    auto expectUntouched = [&] {
        EXPECT_EQ(readFile(dst), "previous");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out), {}), 1);
    };
    ::chmod(dir_.path().c_str(), 0755);  // the ordinary user below passes through
    ::mkdir(out.c_str(), 0555);
    ::mkdir(open.c_str(), 0777);
    ::chmod(open.c_str(), 0777);
    writeFile(src_, "abc\r\n");
    writeFile(dst, "previous");
    // A read-only folder, as an ordinary user (root writes anywhere) who can
    // convert the same source into a writable folder; in a child of the test,
    // as the user cannot be changed back.
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 && ::setuid(65534) != 0) ::_exit(90);
        ::_exit(convertTo(open + "/scene.dat") != 0 ? 2 : convertTo(dst) == -1 ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ::chmod(out.c_str(), 0755);
    expectUntouched();
    EXPECT_EQ(convertTo(dir_ / "missing/scene.dat"), -1);
    EXPECT_EQ(convertTo(out), -1);
    expectUntouched();
    // A link is followed; the file it names keeps its mode.
    ::chmod(dst.c_str(), 0640);
    ASSERT_EQ(::symlink(dst.c_str(), (dir_ / "link.dat").c_str()), 0);
    EXPECT_EQ(convertTo(dir_ / "link.dat"), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(dir_ / "link.dat"));
    EXPECT_EQ(std::filesystem::status(dst).permissions(), std::filesystem::perms(0640));
    EXPECT_EQ(readFile(dst), kHeader + "abc\r\n");
}

}  // namespace
}  // namespace qt::pre::test
