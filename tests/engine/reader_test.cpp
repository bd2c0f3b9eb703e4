// The scenario reader: fields, the header check, the exclusive open.
#include <fcntl.h>

#include "common/file_lock.h"
#include "engine_test_support.h"

namespace qt::engine::test {
namespace {

class ReaderTest : public EngineTest {
protected:
    ScenarioFiles& reader() { return interpreter->reader; }
    void open(const std::string& bytes, const char* name = "s.dat", bool window = false) {
        folder.write(name, bytes);
        window ? makeScreens(4, 3, 4, 3) : makeEngine();
        reader().construct(*engine, 1);
        reader().open(name);
    }
    // The fields left, joined by "|".
    std::string rest() {
        std::string out;
        for (const char* f; reader().fieldLength() != -1 && (f = reader().nextField()) != nullptr;) {
            out.append(f).append("|");
        }
        if (!out.empty()) out.pop_back();
        return reader().nextField() == nullptr ? out : out + "<field after the end>";
    }
    LockKind shared = LockKind::shared;
};

TEST_F(ReaderTest, Fields) {
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"abc\r\n/e,a,b,;\r\n", "abc|/e|a|b|;"}, {"\"a,b\",c\r\n", "\"a,b\"|c"}, {"a\"b,c\r\nd", "a\"b,c|d"},
        {"\"a\nb\"\r\n", "\"a|b\""}, {"a\rb\r\n", "a\rb"}, {"a\r\r\n", "a\r"}, {"a\nb\r\n", "a|b"},
        {"abc\r", "abc"}, {std::string("a\0b\r\n", 5), "a|b"}, {"  a , \tb\t\r\n", "a |b\t"},
        {",,\r\n", "||"}, {"  \r\nq\r\n", "|q"}, {"last", "last"}, {"/e,x", "/e|x"},
        {"a\r\n  \t ", "a"}, {"a  ", "a  "}, {"a\r\n\r\n", "a|"}, {"\x82\xA0,\x82\xA2\r\n", "\x82\xA0|\x82\xA2"},
        {std::string(5000, 'x') + "\r\ny", std::string(5000, 'x') + "|y"}};
    // clang-format on
    for (const auto& [body, fields] : cases) {
        open(kHeader + body);
        EXPECT_EQ(boxes(), "");
        EXPECT_EQ(rest(), fields) << body;
    }
    open(kHeader + "abcd,\r\n");
    EXPECT_EQ(reader().fieldLength(), 2);  // the header field
    reader().nextField();
    EXPECT_EQ(reader().fieldLength(), 4);
    reader().nextField();
    EXPECT_EQ(reader().fieldLength(), -1);
}

TEST_F(ReaderTest, HeaderCheck) {
    const std::string marker = kHeader.substr(0, 2);
    // clang-format off
    const std::pair<std::string, bool> cases[] = {{kHeader, true},  {marker + "xyz\r\nA", true}, {marker, true},
                                                  {"\x82\r\n", false}, {"abc\r\n", false}, {"", false},
                                                  {"  ", false}, {"\xA9\x82\r\n", false}};
    // clang-format on
    for (const auto& [bytes, ok] : cases) {
        open(bytes, "h.dat");
        EXPECT_EQ(boxes(), ok ? "" : "エラー　h.dat　LINE:1 | プリプロセッサ済みシナリオファイルでは無いようです\n");
    }
    open("abc\r\nnext\r\n");
    EXPECT_EQ(rest(), "next");  // played all the same
    makeEngine();
    reader().construct(*engine, 1);
    std::filesystem::create_directory(folder.file("dir"));
    for (const char* name : {"nothing.dat", "dir"}) {
        reader().open(name);
        EXPECT_EQ(reader().fieldLength(), -1);
        EXPECT_EQ(reader().lineNumber, 1);
    }
}

TEST_F(ReaderTest, HeldUntilTheNextOpenOrCloseAndHeldElsewhereEndsThroughErrexit) {
    folder.write("b.dat", kHeader);
    open(kHeader, "a.dat");
    LockedFile probe;  // an open file description of its own, as another process has
    auto held = [&](const char* name) { return probe.open(folder.file(name), O_RDONLY, shared) != OpenStatus::ok; };
    EXPECT_TRUE(held("a.dat"));
    reader().open("b.dat");
    EXPECT_FALSE(held("a.dat") || !held("b.dat"));
    reader().close();
    EXPECT_FALSE(held("b.dat"));  // and now the probe holds it
    open(kHeader + "a\r\n", "b.dat");
    EXPECT_EQ(exitCodes, std::vector<int>{1});  // no window yet: ends at once
    open(kHeader + "a\r\n", "b.dat", true);
    EXPECT_EQ(boxes(), "errexit() | [二重起動]\nシナリオファイルが開けません\n");
    EXPECT_FALSE(backend->windowExists());
    EXPECT_EQ(reader().fieldLength(), -1);
}

}  // namespace
}  // namespace qt::engine::test
