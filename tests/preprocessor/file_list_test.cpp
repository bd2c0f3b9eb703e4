// The file list as read (entries over real files) and as written, and the
// folder search.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "preprocessor/file_list.h"
#include "preprocessor/folder_mode.h"
#include "test_support.h"

namespace qt::pre {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

// Each entry read as "E:src|out" (entry) or "L:src|out" (last entry), with
// "!" appended when a line was too long.
std::vector<std::string> readAll(const std::string& path) {
    FileListReader reader;
    std::vector<std::string> got;
    if (!reader.open(path.c_str())) return {"cannot open"};
    for (int guard = 0; guard < 1000; ++guard) {
        char source[260];
        char output[260];
        bool tooLong = false;
        const auto entry = reader.readEntry(source, sizeof source, output, sizeof output, &tooLong);
        if (entry == FileListReader::Entry::none) {
            if (tooLong) got.push_back("!");
            break;
        }
        got.push_back(std::string(entry == FileListReader::Entry::entry ? "E:" : "L:") + source +
                      "|" + output + (tooLong ? "!" : ""));
        if (entry == FileListReader::Entry::lastEntry) break;
    }
    return got;
}

TEST(FileListReader, Entries) {
    using V = std::vector<std::string>;
    const std::string s258(258, 's');
    const std::string s259(259, 's');
    const struct {
        std::string bytes;
        V entries;
    } cases[] = {
        {"\r\n\r\nscenario/a.txt\r\nscenario/a.dat\r\n\r\nscenario/b.txt\r\nscenario/b.dat",
         {"E:scenario/a.txt|scenario/a.dat", "L:scenario/b.txt|scenario/b.dat"}},
        {"a\r\nb\r\n", {"E:a|b"}},
        {"a\r\nb\r\n\r\n;c\r\n\r\n", {"E:a|b"}},
        {"a\r\nb\r\n;c", {"E:a|b"}},
        {"", {}},
        {"\r\n", {}},
        {"a", {}},
        {"a\nb\n", {}},
        {"a\r\nb\nc\n", {"L:a|b\nc\n"}},
        {"a\r\n", {"L:a|"}},
        {"a\r\n\r\nb\r\nc", {"E:a|", "L:b|c"}},
        {";comment\r\na\r\n;b\r\n", {"E:a|;b"}},
        {";only", {}},
        {" a \r\n b \r\n", {"E: a | b "}},
        {"a\rb\r\nc\r\n", {"E:ab|c"}},
        {"x\r\ny\r", {"L:x|y"}},
        {s258 + "\r\no\r\n", {"E:" + s258 + "|o"}},
        {s259 + "\r\no\r\n", {"!"}},
        {"i\r\n" + s258 + "\r\nj\r\nk\r\n", {"E:i|" + s258, "E:j|k"}},
        {"i\r\n" + s259 + "\r\nj\r\nk\r\n", {"L:i|" + s259 + "!"}},
    };
    TempDir dir;
    const std::string list = dir / "filelist.ini";
    for (const auto& c : cases) {
        writeFile(list, c.bytes);
        EXPECT_EQ(readAll(list), c.entries) << c.bytes;
    }
}

TEST(FileListReader, LongListAcrossReadChunks) {
    TempDir dir;
    const std::string list = dir / "filelist.ini";
    std::string bytes;
    std::vector<std::string> expected;
    for (int i = 0; i < 300; ++i) {
        const std::string n = std::to_string(i);
        bytes += "\r\n;note " + n + "\r\n\r\nsrc" + n + ".txt\r\nout" + n + ".dat";
        expected.push_back((i < 299 ? "E:src" : "L:src") + n + ".txt|out" + n + ".dat");
    }
    writeFile(list, bytes);
    EXPECT_EQ(readAll(list), expected);
}

TEST(FileListReader, MissingList) {
    TempDir dir;
    FileListReader reader;
    EXPECT_FALSE(reader.open((dir / "none.ini").c_str()));
    char a[260], b[260];
    EXPECT_EQ(reader.readEntry(a, 260, b, 260), FileListReader::Entry::none);
}

TEST(FileListWriter, AppendsEntries) {
    TempDir dir;
    const std::string list = dir / "filelist.ini";
    {
        FileListWriter writer;
        EXPECT_FALSE(writer.writeEntry("x", "y"));
        ASSERT_TRUE(writer.open(list.c_str()));
        EXPECT_TRUE(writer.writeEntry("scenario/a.txt", "scenario/a.dat"));
        EXPECT_TRUE(writer.writeEntry("scenario/b.txt", "scenario/b.dat"));
    }
    EXPECT_EQ(readFile(list),
              "\r\n\r\nscenario/a.txt\r\nscenario/a.dat\r\n\r\nscenario/b.txt\r\nscenario/b.dat");
    {
        FileListWriter writer;
        ASSERT_TRUE(writer.open(list.c_str()));
        EXPECT_TRUE(writer.writeEntry("c.txt", "c.dat"));
    }
    EXPECT_EQ(readAll(list), (std::vector<std::string>{"E:scenario/a.txt|scenario/a.dat",
                                                       "E:scenario/b.txt|scenario/b.dat",
                                                       "L:c.txt|c.dat"}));

    // A list another process holds is not written.
    const int other = ::open(list.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(other, LOCK_SH), 0);
    FileListWriter writer;
    EXPECT_FALSE(writer.open(list.c_str()));
    ::close(other);
}

TEST(FolderSearch, MatchesTheExtensionInAnyCaseAndSorts) {
    TempDir dir;
    for (const char* name : {"b.TXT", "a.txt", "A.txt", "c.doc", "txt", "d.txt.bak", "_z.Txt"}) {
        writeFile(dir / name, "x");
    }
    ::mkdir((dir / "sub.txt").c_str(), 0755);
    std::vector<std::string> names;
    ASSERT_TRUE(findSourceFiles(dir.path(), "txt", &names));
    EXPECT_EQ(names, (std::vector<std::string>{"A.txt", "a.txt", "b.TXT", "sub.txt", "_z.Txt"}));
    ASSERT_TRUE(findSourceFiles(dir.path(), "", &names));
    EXPECT_EQ(names, (std::vector<std::string>{"txt"}));
    EXPECT_FALSE(findSourceFiles(dir / "missing", "txt", &names));
}

}  // namespace
}  // namespace qt::pre
