#include "engine/interpreter/scenario_files.h"

#include <fcntl.h>

#include "common/file_lock.h"
#include "engine/core/window_geometry.h"
#include "engine_test_support.h"

namespace qt::engine::test {
namespace {

class ScenarioFilesTest : public EngineTest {
protected:
    ScenarioFiles& reader() { return interpreter->reader; }

    void openBytes(const std::string& bytes, const char* name = "s.dat") {
        folder.write(name, bytes);
        makeEngine();
        reader().construct(*engine, 1);
        reader().open(name);
    }

    std::vector<std::string> rest() {
        std::vector<std::string> out;
        while (reader().fieldLength() != -1) {
            const char* f = reader().nextField();
            if (f == nullptr) break;
            out.emplace_back(f);
            if (out.size() > 100) break;
        }
        return out;
    }
};

TEST_F(ScenarioFilesTest, Fields) {
    struct Case {
        std::string body;
        std::vector<std::string> fields;
    };
    const Case cases[] = {
        {"abc\r\n/e,a,b,;\r\n", {"abc", "/e", "a", "b", ";"}},
        {"\"a,b\",c\r\n", {"\"a,b\"", "c"}},
        {"a\"b,c\r\nd\r\n", {"a\"b,c", "d"}},
        {"x\"y\"z,w\r\n", {"x\"y\"z", "w"}},
        {"a\rb\r\n", {"a\rb"}},
        {"a\nb\r\n", {"a", "b"}},
        {"\"a\nb\"\r\n", {"\"a", "b\""}},
        {"abc\r", {"abc"}},
        {"a\r\r\n", {"a\r"}},
        {std::string("a\0b\r\n", 5), {"a", "b"}},
        {"  a , \tb\t\r\n", {"a ", "b\t"}},
        {",,\r\n", {"", "", ""}},
        {"  \r\nq\r\n", {"", "q"}},
        {"last", {"last"}},
        {"/e,x", {"/e", "x"}},
        {"a\r\n  \t ", {"a"}},
        {"a  ", {"a  "}},
        {"a\r\n\r\n", {"a", ""}},
        {"\x82\xA0,\x82\xA2\r\n", {"\x82\xA0", "\x82\xA2"}},
    };
    for (const Case& c : cases) {
        openBytes(kHeader + c.body);
        EXPECT_TRUE(backend->boxes().empty());
        EXPECT_EQ(reader().lineNumber, 1);
        EXPECT_EQ(rest(), c.fields) << c.body;
        EXPECT_EQ(reader().fieldLength(), -1);
        EXPECT_EQ(reader().nextField(), nullptr);
    }
}

TEST_F(ScenarioFilesTest, FieldLengthIsMinusOneOnlyAtTheEnd) {
    openBytes(kHeader + "abcd,\r\n");
    EXPECT_EQ(reader().fieldLength(), 2);  // the header field
    reader().nextField();
    EXPECT_EQ(reader().fieldLength(), 4);
    reader().nextField();  // the empty field before CR LF
    EXPECT_EQ(reader().fieldLength(), -1);
}

TEST_F(ScenarioFilesTest, LongFieldIsHandedOutWhole) {
    const std::string longField(5000, 'x');
    openBytes(kHeader + longField + "\r\nshort\r\n");
    EXPECT_EQ(rest(), (std::vector<std::string>{longField, "short"}));
}

TEST_F(ScenarioFilesTest, HeaderCheck) {
    struct Case {
        std::string bytes;
        bool ok;
    };
    const Case cases[] = {
        {kHeader, true}, {"\x82\xA9xyz\r\nA\r\n", true}, {"\x82\xA9", true},
        {"\x82\r\n", false}, {"abc\r\n", false}, {"", false}, {"  ", false},
        {"\xA9\x82\r\n", false},
    };
    for (const Case& c : cases) {
        openBytes(c.bytes, "head.dat");
        if (c.ok) {
            EXPECT_TRUE(backend->boxes().empty()) << c.bytes;
        } else {
            EXPECT_EQ(texts(), std::vector<std::string>{"プリプロセッサ済みシナリオファイルでは無いようです"});
            EXPECT_EQ(captions(), std::vector<std::string>{"エラー　head.dat　LINE:1"});
            EXPECT_EQ(backend->boxes()[0].icon, platform::BoxIcon::exclamation);
        }
    }
    openBytes("abc\r\nnext\r\n");
    EXPECT_EQ(rest(), std::vector<std::string>{"next"});  // played all the same
}

TEST_F(ScenarioFilesTest, FileHeldElsewhereEndsThroughErrexit) {
    folder.write("s.dat", kHeader + "a\r\n");
    LockedFile other;
    ASSERT_EQ(other.open(folder.file("s.dat"), O_RDONLY, LockKind::shared), OpenStatus::ok);
    makeEngine();
    reader().construct(*engine, 1);
    reader().open("s.dat");
    EXPECT_EQ(exitCodes, std::vector<int>{1});  // no window yet: ends at once

    makeEngine();
    engine->hasWindow = true;
    ASSERT_TRUE(backend->createWindow(windowSpecFor(backend->metrics(), 8, 6, 0, 0, "t")));
    reader().construct(*engine, 1);
    reader().open("s.dat");
    ASSERT_GE(texts().size(), 1u);
    EXPECT_EQ(texts()[0], "[二重起動]\nシナリオファイルが開けません");
    EXPECT_EQ(captions()[0], "errexit()");
    EXPECT_FALSE(backend->windowExists());
    EXPECT_EQ(reader().fieldLength(), -1);
    EXPECT_TRUE(exitCodes.empty());
}

TEST_F(ScenarioFilesTest, TheOpenFileIsHeldAndReleasedByTheNextOpenAndByClose) {
    folder.write("b.dat", kHeader + "b\r\n");
    openBytes(kHeader + "a\r\n", "a.dat");
    LockedFile probe;
    EXPECT_EQ(probe.open(folder.file("a.dat"), O_RDONLY, LockKind::shared), OpenStatus::sharingViolation);
    reader().open("b.dat");
    EXPECT_EQ(probe.open(folder.file("a.dat"), O_RDONLY, LockKind::shared), OpenStatus::ok);
    probe.close();
    EXPECT_STREQ(reader().fileName(), "b.dat");
    EXPECT_EQ(probe.open(folder.file("b.dat"), O_RDONLY, LockKind::shared), OpenStatus::sharingViolation);
    reader().close();
    EXPECT_EQ(probe.open(folder.file("b.dat"), O_RDONLY, LockKind::shared), OpenStatus::ok);
}

TEST_F(ScenarioFilesTest, MissingFileOrFolderLeavesTheReaderAtItsEnd) {
    makeEngine();
    reader().construct(*engine, 1);
    EXPECT_STREQ(reader().fileName(), "");
    EXPECT_EQ(reader().lineNumber, 0);
    reader().open("nothing.dat");
    EXPECT_EQ(reader().fieldLength(), -1);
    EXPECT_EQ(texts(), std::vector<std::string>{"プリプロセッサ済みシナリオファイルでは無いようです"});
    std::filesystem::create_directory(folder.file("dir"));
    reader().open("dir");
    EXPECT_EQ(reader().fieldLength(), -1);
    EXPECT_EQ(reader().lineNumber, 1);
}

TEST_F(ScenarioFilesTest, WindowsPathsAndCp932NamesAreFound) {
    std::filesystem::create_directory(folder.file("シナリオ"));
    folder.write("シナリオ/Start.dat", kHeader + "x\r\n");
    makeEngine();
    reader().construct(*engine, 1);
    const std::string written = utf8ToCp932("シナリオ\\start.DAT");
    reader().open(written.c_str());
    EXPECT_TRUE(backend->boxes().empty());
    EXPECT_EQ(reader().fileName(), written);
    EXPECT_EQ(rest(), std::vector<std::string>{"x"});
}

}  // namespace
}  // namespace qt::engine::test
