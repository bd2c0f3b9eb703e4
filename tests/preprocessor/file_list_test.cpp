// The file list as read (entries over real files) and the folder search.
#include "preprocessor/file_list.h"

#include <string>
#include <vector>

#include "preprocessor/folder_mode.h"
#include "test_support.h"

namespace qt::pre::test {
namespace {

using V = std::vector<std::string>;

// Entries as "E:src|out" (entry) or "L:src|out" (last entry); "!" marks a
// line that did not fit.
V readAll(const std::string& path) {
    FileListReader reader;
    V got;
    if (!reader.open(path.c_str())) return {"cannot open"};
    for (;;) {
        char source[260], output[260];
        bool tooLong = false;
        const auto entry = reader.readEntry(source, sizeof source, output, sizeof output, &tooLong);
        if (entry == FileListReader::Entry::none) {
            if (tooLong) got.push_back("!");
            return got;
        }
        const bool last = entry == FileListReader::Entry::lastEntry;
        got.push_back((last ? "L:" : "E:") + std::string(source) + "|" + output + (tooLong ? "!" : ""));
        if (last) return got;
    }
}

TEST(FileListReader, Entries) {
    const std::string s258(258, 's'), s259(259, 's');
    // clang-format off
    const struct { std::string bytes; V entries; } cases[] = {
        // clang-format off
        {"\r\n\r\nsc/a.txt\r\nsc/a.dat\r\n\r\nsc/b.txt\r\nsc/b.dat", {"E:sc/a.txt|sc/a.dat", "L:sc/b.txt|sc/b.dat"}},
        {"a\r\nb\r\n", {"E:a|b"}}, {"a\r\nb\r\n\r\n;c\r\n\r\n", {"E:a|b"}}, {"a\r\nb\r\n;c", {"E:a|b"}},
        {"", {}}, {"\r\n", {}}, {"a", {}}, {"a\nb\n", {"E:a|b"}}, {"a\r\nb\nc\n", {"L:a|b\nc\n"}},
        {"a\r\n", {"L:a|"}}, {"a\r\n\r\nb\r\nc", {"E:a|", "L:b|c"}}, {";x\r\na\r\n;b\r\n", {"E:a|;b"}},
        {";only", {}}, {" a \r\n b \r\n", {"E: a | b "}}, {"a\rb\r\nc\r\n", {"E:ab|c"}},
        {"x\r\ny\r", {"L:x|y"}}, {s258 + "\r\no\r\n", {"E:" + s258 + "|o"}}, {s259 + "\r\no\r\n", {"!"}},
        {"i\r\n" + s258 + "\r\nj\r\nk\r\n", {"E:i|" + s258, "E:j|k"}},
        {"i\r\n" + s259 + "\r\nj\r\nk\r\n", {"L:i|" + s259 + "!"}},
        // clang-format on
    };
    // clang-format on
    TempDir dir;
    for (const auto& c : cases) {
        writeFile(dir / "filelist.ini", c.bytes);
        EXPECT_EQ(readAll(dir / "filelist.ini"), c.entries) << c.bytes;
    }
    // Long enough to cross the reader's chunks at every offset.
    std::string bytes;
    V expected;
    for (int i = 0; i < 300; ++i) {
        const std::string n = std::to_string(i);
        bytes += "\r\n;note " + n + "\r\n\r\nsrc" + n + ".txt\r\nout" + n + ".dat";
        expected.push_back((i < 299 ? "E:src" : "L:src") + n + ".txt|out" + n + ".dat");
    }
    writeFile(dir / "filelist.ini", bytes);
    EXPECT_EQ(readAll(dir / "filelist.ini"), expected);
}

TEST(FolderSearch, MatchesTheExtensionInAnyCaseAndSorts) {
    TempDir dir;
    for (const char* name : {"b.TXT", "a.txt", "A.txt", "c.doc", "txt", "d.txt.bak", "_z.Txt"})
        writeFile(dir / name, "x");
    ::mkdir((dir / "sub.txt").c_str(), 0755);
    V names;
    ASSERT_TRUE(findSourceFiles(dir.path(), "txt", &names));
    EXPECT_EQ(names, (V{"A.txt", "a.txt", "b.TXT", "sub.txt", "_z.Txt"}));
    ASSERT_TRUE(findSourceFiles(dir.path(), "", &names));
    EXPECT_EQ(names, V{"txt"});
    EXPECT_FALSE(findSourceFiles(dir / "missing", "txt", &names));
}

}  // namespace
}  // namespace qt::pre::test
