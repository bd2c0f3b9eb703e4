// The demo game as shipped: its conversion with qPre in file-list mode, and
// its headless play-through, against what is committed beside it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>

#include "demo_game.h"
#include "engine/platform/pixels/image.h"

namespace qt::e2e {
namespace {

TEST(Demo, ConvertsToTheCommittedFilesSayingNothingElse) {
    DemoGame game;
    ASSERT_EQ(game.convert(), 0) << game.err;
    EXPECT_EQ(game.out,
              "\n chapter1.txt\t→\tchapter1.dat\r\n"
              "\n chapter2.txt\t→\tchapter2.dat\r\n"
              "...プリプロセス終了\r\n");
    EXPECT_EQ(game.err, "");
    for (const char* name : {"chapter1.dat", "chapter2.dat"}) {
        EXPECT_EQ(game.read(name), readFile(std::string(QT_DEMO_DIR) + "/expected/" + name)) << name;
    }
}

// Sums of the pixels outside the text cells, checked by eye when committed:
// the day meadow with the sun, a cloud and the cat over the darkened text box;
// then the evening with the cat at half size. Pages differ only in their text.
const char kDay[] = "a9ebda30fb8ae1ad", kEvening[] = "eb5f012f4cad3da9";
const std::pair<const char*, const char*> kPages[] = {
    {"wait-0001.png", kDay}, {"wait-0002.png", kDay},     {"wait-0003.png", kDay},     {"wait-0004.png", kDay},
    {"wait-0005.png", kDay}, {"wait-0006.png", kEvening}, {"wait-0007.png", kEvening}, {"end.png", kEvening},
};

TEST(Demo, PlaysHeadlessThroughTheCommittedPictures) {
    DemoGame game;
    ASSERT_EQ(game.convert(), 0);
    ASSERT_EQ(game.playHeadless(), 0) << game.err;
    EXPECT_EQ(game.err, "");  // every box would be written here
    const std::string trace = game.read("trace.txt");
    EXPECT_EQ(trace.substr(trace.rfind("chapter2")), "chapter2.dat:15: /end\n");

    size_t captures = 0;
    for (const auto& entry : std::filesystem::directory_iterator(game.file("pages"))) captures += entry.is_regular_file();
    EXPECT_EQ(captures, std::size(kPages));
    for (const auto& [capture, sum] : kPages) {
        platform::Surface picture;
        ASSERT_TRUE(platform::loadImage(game.file("pages/") + capture, picture)) << capture;
        EXPECT_EQ(checksumOutsideText(picture), sum) << capture;
    }
}

}  // namespace
}  // namespace qt::e2e
